#include "repair/RepairProblem.h"

#include "core/App.h"
#include "core/Errors.h"
#include "core/Language.h"
#include "core/Logs.h"
#include "platform/RecycleBin.h"
#include "repair/RegistryWrite.h"
#include "repair/RepairUi.h"
#include "scan/PathTests.h"

namespace {

// The text before the last "\" (the whole text without one).
std::string Parent(const std::string& path) {
    size_t cut = path.rfind('\\');
    return cut == std::string::npos ? path : path.substr(0, cut);
}

// Deletes a registry problem as the check that found it asks: 0 or a Windows error.
int32_t DeleteRegistryProblem(App& app, const clsItem& p) {
    const RegKey hive = static_cast<RegKey>(p.pCureKeyRoot);
    switch (p.pInternalType) {
        case kCheckLoneInprocServer:
            // The server key is all the class had: the class goes with it.
            if (p.pCureKeyName.find('\\') == std::string::npos) return kRegSuccess;
            return DeleteRegistryKey(app, hive, Parent(p.pCureKeyName), true);
        case kCheckFileExtension:
        case kCheckProgId:
            return DeleteRegistryKey(app, hive, p.pCureKeyName, true);
        case kCheckMenuOrder:
        case kCheckTypeLibrary:
        case kCheckArpCache:
        case kCheckClassServer:
        case kCheckClassIcon:
            return DeleteRegistryKey(app, hive, p.pCureKeyName, false);
        case kCheckAppPaths:
        case kCheckShellCommand:
            return DeleteRegistryValue(app, hive, p.pCureKeyName, p.pCureKeyValueName, false);
        default:
            return DeleteRegistryValue(app, hive, p.pCureKeyName, p.pCureKeyValueName, true);
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
        if (problem.pCureMethod == kCureFullPath)
            repaired = ChangeRegistryValue(app, hive, problem.pCureKeyName, problem.pCureKeyValueName, newPath);
        else if (problem.pCureMethod == kCureFolder)
            repaired = ChangeRegistryValue(app, hive, problem.pCureKeyName, problem.pCureKeyValueName,
                                           Parent(newPath));
    } else if (problem.pType() == kTypeShortcut) {
        repaired = ShortcutRepairDest(app, problem.pCureFilename, newPath);
    }
    if (repaired) problem.pType(kTypeCured);
    return repaired;
}

void deleteProblem(RepairContext& c, clsItem& problem) {
    App& app = c.app;
    WriteTrace(app, "deleteProblem");
    WriteProblemLog(app, "Deleting: " + problem.FriendlyDescription(app));
    if (problem.pType() == kTypeShortcut || problem.pType() == kTypeFile) {
        if (ShellDeleteFile(c, problem.pCureFilename)) problem.pType(kTypeCured);
        return;
    }
    if (problem.pType() != kTypeRegistry) return;
    int32_t status = DeleteRegistryProblem(app, problem);
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

bool ShellDeleteFile(RepairContext& c, const std::string& path) {
    App& app = c.app;
    WriteTrace(app, "ShellDeleteFile");
    try {
        if (!app.DeleteReadOnly && IsReadonlyFile(app, path)) {
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
            WriteLog(app, "ShellDeleteFile: the file is still there: " + path);
            return false;
        }
        return true;
    } catch (...) {
        PassOnOutOfMemory();
        ErrInfo error = CurrentError();
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
