#include "repair/RepairProblem.h"

#include "core/App.h"
#include "core/Errors.h"
#include "core/Language.h"
#include "core/Logs.h"
#include "platform/RecycleBin.h"
#include "repair/RegistryWrite.h"
#include "repair/RepairJournal.h"
#include "repair/RepairUi.h"
#include "scan/PathTests.h"

namespace {

// The text before the last "\" (the whole text without one).
std::string Parent(const std::string& path) {
    size_t cut = path.rfind('\\');
    return cut == std::string::npos ? path : path.substr(0, cut);
}

// What deleting a registry problem removes, as the check that found it asks.
struct RegistryDeletion {
    enum Kind { None, Value, Key, KeyTree } kind = None;
    RegKey hive = 0;
    std::string key, value;
    bool nameRequired = false;  // an empty value name deletes nothing
};

RegistryDeletion PlanDeletion(const clsItem& p) {
    const RegKey hive = static_cast<RegKey>(p.pCureKeyRoot);
    switch (p.pInternalType) {
        case kCheckLoneInprocServer:
            // The server key is all the class had: the class goes with it.
            if (p.pCureKeyName.find('\\') == std::string::npos) return {};
            return {RegistryDeletion::KeyTree, hive, Parent(p.pCureKeyName), "", false};
        case kCheckFileExtension:
        case kCheckProgId:
            return {RegistryDeletion::KeyTree, hive, p.pCureKeyName, "", false};
        case kCheckMenuOrder:
        case kCheckTypeLibrary:
        case kCheckArpCache:
        case kCheckClassServer:
        case kCheckClassIcon:
            return {RegistryDeletion::Key, hive, p.pCureKeyName, "", false};
        case kCheckAppPaths:
        case kCheckShellCommand:
            return {RegistryDeletion::Value, hive, p.pCureKeyName, p.pCureKeyValueName, false};
        default:
            return {RegistryDeletion::Value, hive, p.pCureKeyName, p.pCureKeyValueName, true};
    }
}

// 0 or a Windows error.
int32_t Delete(App& app, const RegistryDeletion& d) {
    switch (d.kind) {
        case RegistryDeletion::None: return kRegSuccess;
        case RegistryDeletion::Value: return DeleteRegistryValue(app, d.hive, d.key, d.value, d.nameRequired);
        case RegistryDeletion::Key: return DeleteRegistryKey(app, d.hive, d.key, false);
        case RegistryDeletion::KeyTree: return DeleteRegistryKey(app, d.hive, d.key, true);
    }
    return kRegSuccess;
}

std::string KeyText(RegKey hive, const std::string& key) {
    return HiveName(static_cast<int32_t>(hive)) + (key.empty() ? "" : "\\" + key);
}

void Note(RepairContext& c, const clsItem& p, std::string action, std::string target, std::string newPath,
          bool done, std::string error = "") {
    if (c.journal)
        c.journal->actions.push_back({p.UID(), std::move(action), std::move(target), std::move(newPath), done,
                                      std::move(error)});
}

void NoteDeletion(RepairContext& c, const clsItem& p, const RegistryDeletion& d, int32_t status) {
    std::string error = status == kRegSuccess ? "" : GetSystemErrorText(c.app, status);
    while (!error.empty() && (error.back() == '\r' || error.back() == '\n')) error.pop_back();
    if (status != kRegSuccess && error.empty()) error = "error " + std::to_string(status);
    switch (d.kind) {
        case RegistryDeletion::None:
            Note(c, p, "none", KeyText(d.hive, p.pCureKeyName), "", true);
            break;
        case RegistryDeletion::Value:
            if (d.value.empty() && d.nameRequired)
                Note(c, p, "none", KeyText(d.hive, d.key), "", true, "the value has no name");
            else
                Note(c, p, "delete value", KeyText(d.hive, d.key) + "\\" + (d.value.empty() ? "@" : d.value), "",
                     status == kRegSuccess, error);
            break;
        case RegistryDeletion::Key:
            Note(c, p, "delete key", KeyText(d.hive, d.key), "", status == kRegSuccess, error);
            break;
        case RegistryDeletion::KeyTree:
            Note(c, p, "delete key and subkeys", KeyText(d.hive, d.key), "", status == kRegSuccess, error);
            break;
    }
}

}  // namespace

bool repairProblem(RepairContext& c, clsItem& problem, const std::string& newPath) {
    App& app = c.app;
    WriteTrace(app, "repairProblem");
    WriteProblemLog(app, "Repairing: " + problem.FriendlyDescription(app));
    WriteProblemLog(app, " >> new path is: " + newPath);
    if (newPath.empty()) return false;
    bool repaired = false;
    if (problem.pType() == kTypeRegistry) {
        const RegKey hive = static_cast<RegKey>(problem.pCureKeyRoot);
        const std::string value = problem.pCureMethod == kCureFolder ? Parent(newPath) : newPath;
        if (problem.pCureMethod == kCureFullPath || problem.pCureMethod == kCureFolder) {
            repaired = ChangeRegistryValue(app, hive, problem.pCureKeyName, problem.pCureKeyValueName, value);
            const std::string& name = problem.pCureKeyValueName;
            Note(c, problem, "change value", KeyText(hive, problem.pCureKeyName) + "\\" + (name.empty() ? "@" : name),
                 value, repaired, repaired ? "" : "the key cannot be opened for writing");
        }
    } else if (problem.pType() == kTypeShortcut) {
        repaired = ShortcutRepairDest(app, problem.pCureFilename, newPath);
        Note(c, problem, "retarget shortcut", problem.pCureFilename, newPath, repaired,
             repaired ? "" : "the shortcut cannot be saved");
    }
    if (repaired) problem.pType(kTypeCured);
    return repaired;
}

void deleteProblem(RepairContext& c, clsItem& problem) {
    App& app = c.app;
    WriteTrace(app, "deleteProblem");
    WriteProblemLog(app, "Deleting: " + problem.FriendlyDescription(app));
    if (problem.pType() == kTypeShortcut || problem.pType() == kTypeFile) {
        std::string why;
        bool gone = ShellDeleteFile(c, problem.pCureFilename, &why);
        Note(c, problem, "recycle file", problem.pCureFilename, "", gone, why);
        if (gone) problem.pType(kTypeCured);
        return;
    }
    if (problem.pType() != kTypeRegistry) return;
    const RegistryDeletion deletion = PlanDeletion(problem);
    int32_t status = Delete(app, deletion);
    NoteDeletion(c, problem, deletion, status);
    if (status == kRegSuccess) {
        problem.pType(kTypeCured);
        return;
    }
    ShowDeleteError(c,
                    GetLangString(app, "error_deletevalerror1", "Error: Cannot delete the registry value") + "\r\n" +
                        problem.pCureKeyName + "\r\n" + GetSystemErrorText(app, status) + "\r\n" +
                        GetLangString(app, "error_deletevalerror", "You should run this application under Administrator account."),
                    GetLangString(app, "error_deletevalerror_caption", "Error deleting registry value"));
}

bool ShellDeleteFile(RepairContext& c, const std::string& path, std::string* why) {
    App& app = c.app;
    WriteTrace(app, "ShellDeleteFile");
    std::string ignored;
    std::string& reason = why ? *why : ignored;
    try {
        if (!app.DeleteReadOnly && IsReadonlyFile(app, path)) {
            reason = "read-only or system file";
            ShowDeleteError(c,
                            GetLangString(app, "error_deleteroerror1", "Error: Cannot delete the file") + "\r\n" + path +
                                "\r\n" + GetLangString(app, "error_deleteroerror", ""),
                            GetLangString(app, "error_deleteroerror_caption", "Error deleting file"));
            return false;
        }
        c.bin.Recycle(path);
        // The shell does not always say when it kept a file (one in use, say): a file
        // that is still there is not reported gone.
        uint32_t attributes = 0;
        if (app.os.files.GetAttributes(path, attributes)) {
            reason = "the file is still there";
            WriteLog(app, "ShellDeleteFile: the file is still there: " + path);
            return false;
        }
        return true;
    } catch (...) {
        PassOnOutOfMemory();
        ErrInfo error = CurrentError();
        reason = std::to_string(error.number) + " - " + error.description;
        app.os.prompts.Show(GetLangString(app, "error_deleteerror1", "Error: Cannot delete the file") + "\r\n" + path +
                                "\r\n" + GetLangString(app, "error_deleteerror", "System reports the error:") + " " +
                                std::to_string(error.number) + " - " + error.description,
                            GetLangString(app, "error_deleteerror_caption", "Error deleting file"), kMbOk);
        return false;
    }
}

bool IsReadonlyFile(App& app, const std::string& path) {
    uint32_t attributes = 0;
    if (!app.os.files.GetAttributes(path, attributes)) {
        WriteLog(app, "Error in IsReadonlyFile, error " + std::to_string(kErrFileNotFound) + " - " +
                          ErrorDescription(kErrFileNotFound));
        return false;
    }
    return (attributes & (kAttrReadOnly | kAttrSystem)) != 0;
}

bool ShortcutRepairDest(App& app, const std::string& shortcutPath, const std::string& newTarget) {
    WriteTrace(app, "ShortcutRepairDest");
    if (shortcutPath.empty() || shortcutPath == " ") return false;
    ShellLinkError error;
    if (!app.os.links.Retarget(shortcutPath, newTarget, error)) {
        WriteLog(app, "Error in ShortcutRepairDest: " + std::to_string(error.number) + "," + error.description);
        return false;
    }
    return true;
}

void ShowDeleteError(RepairContext& c, const std::string& message, const std::string& caption) {
    if (c.app.Repair.SkipAllDeleteErrors) return;
    if (c.ui.ShowDeleteError(message, caption)) c.app.Repair.SkipAllDeleteErrors = true;
}
