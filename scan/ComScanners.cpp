#include "scan/ComScanners.h"

#include "core/Logs.h"
#include "platform/Text.h"
#include "problems/Admission.h"
#include "scan/PathTests.h"
#include "scan/RegistryRead.h"
#include "scan/ScannerSupport.h"

using scanner::NewProblem;
using scanner::ScanGoesOn;
using scanner::ShowRegistryItem;

namespace {

// A class subkey whose default value is empty (or missing).
void AddEmptyValueProblem(App& app, const std::string& key, int32_t checkCode) {
    auto problem = NewProblem();
    problem->pType(kTypeRegistry);
    problem->pSTATUS = kStatusBrokenLink;
    problem->pInternalType = checkCode;
    problem->pName("HKCR\\" + key);
    problem->pKey("");
    problem->pDescription =
        GetLangString(app, "description_registry_emptyvalue", "Empty registry value") + " " +
        problem->pName();
    problem->pCureKeyRoot = static_cast<int32_t>(HKCR);
    problem->pCureKeyName = key;
    problem->pCureKeyValueName = "";
    problem->pCureMissingfile = "";
    problem->pCureMethod = 0;
    problem->pCureValueType = static_cast<int32_t>(GetRegistryValueType(app, HKCR, key, ""));
    addProblem(app, problem);
}

// The subkeys whose presence beside "InprocServer32" keeps that server from being tested.
const char* const kServerSiblings[] = {"InprocServer",    "DefaultIcon",    "PersistentHandler",
                                       "LocalServer",     "LocalServer32",  "InprocHandler32",
                                       "InprocHandler"};

// A programmatic identifier is a problem when its class is registered nowhere.
void CheckProgId(App& app, const std::string& progId) {
    std::string classText = GetRegistryValue(app, HKCR, progId + "\\CLSID", "");
    if (classText.empty()) return;
    ShowRegistryItem(app, "HKCR\\" + progId);

    std::string lower = text::ToLower(progId);
    bool registered = !text::StartsWith(classText, "{") || !text::EndsWith(classText, "}") ||
                      RegistryKeyExists(app, HKCR, "CLSID\\" + classText) ||
                      RegistryKeyExists(app, HKLM, "SOFTWARE\\Classes\\CLSID\\" + classText) ||
                      lower == "headerfooter.headerfooter" || lower == "headerfooter.headerfooter.1";
    if (registered) return;
    auto problem = NewProblem();
    problem->pType(kTypeRegistry);
    problem->pSTATUS = kStatusActivex;
    problem->pInternalType = 18;
    problem->pName("HKCR\\" + progId);
    problem->pKey("HKCR\\" + progId);
    problem->pDescription = GetLangString(app, "description_activex", "ActiveX/COM problem");
    problem->pCureKeyRoot = static_cast<int32_t>(HKCR);
    problem->pCureKeyName = progId;
    addProblem(app, problem);
}

// A class or interface is a problem when its type library is registered nowhere.
void CheckTypeLibReference(App& app, const std::string& rootName, std::string name) {
    if (!IsGUID(name)) return;
    ShowRegistryItem(app, "HKCR\\" + rootName + "\\" + name);
    std::string typeLibKey = rootName + "\\" + name + "\\TypeLib";
    std::string library = GetRegistryValue(app, HKCR, typeLibKey, "");
    if (!IsGUID(library)) return;  // a missing or malformed reference is not reported
    if (RegistryKeyExists(app, HKCR, "CLSID\\" + library) ||
        RegistryKeyExists(app, HKCR, "Interface\\" + library) ||
        RegistryKeyExists(app, HKCR, "TypeLib\\" + library))
        return;
    auto problem = NewProblem();
    problem->pType(kTypeRegistry);
    problem->pSTATUS = kStatusActivex;
    problem->pInternalType = 19;
    problem->pName("HKCR\\" + typeLibKey);
    problem->pKey("HKCR\\" + typeLibKey);
    problem->pDescription =
        GetLangString(app, "description_misssig_typelib", "Missing type library") + " " + library;
    problem->pCureKeyRoot = static_cast<int32_t>(HKCR);
    problem->pCureKeyName = typeLibKey;
    addProblem(app, problem);
    WriteTrace(app, name);
}

}  // namespace

bool IsGUID(std::string& textValue) {
    textValue = text::Trim(textValue);
    if (text::CharCount(textValue) != 38) return false;
    // 38 characters of which the checked ones are ASCII: byte positions match only
    // when the whole text is ASCII.
    if (textValue.size() != 38) return false;
    return textValue.front() == '{' && textValue.back() == '}' && textValue[9] == '-' &&
           textValue[14] == '-' && textValue[19] == '-' && textValue[24] == '-';
}

void ScanHKCR(App& app, const std::string& keyPath) {
    WriteTrace(app, "ScanHKCR");
    try {
        if (!ScanGoesOn(app)) return;
        ScopedRegKey key(app.os.registry);
        if (key.Open(HKCR, keyPath, KEY_ALL_ACCESS_) != kRegSuccess) return;
        std::string application;
        for (uint32_t a = 0;; ++a) {
            if (!ScanGoesOn(app)) return;
            if (MyRegEnumKey(app, key.Get(), a, application) != kRegSuccess) break;
            std::string shellPath = keyPath + "\\" + application + "\\shell";
            ScopedRegKey shell(app.os.registry);
            if (shell.Open(HKCR, shellPath, KEY_ALL_ACCESS_) != kRegSuccess) {
                app.DoEvents();
                continue;
            }
            std::string verb;
            for (uint32_t v = 0;; ++v) {
                if (!ScanGoesOn(app)) return;
                if (MyRegEnumKey(app, shell.Get(), v, verb) != kRegSuccess) break;
                std::string commandKey = shellPath + "\\" + verb + "\\command";
                ShowRegistryItem(app, commandKey);
                std::string valueText = GetRegistryValue(app, HKCR, commandKey, "");
                TestBrokenRegistryPath(app, valueText, "HKCR\\" + commandKey, kStatusBrokenLink, HKCR,
                                       commandKey, "", 14, 0);
                app.DoEvents();
            }
        }
    } catch (...) {
        WriteLog(app, "Error in ScanHKCR, error " + std::to_string(CurrentError().number));
    }
}

void ScanHKCR_CLSID_subkey(App& app, RegKey hive, const std::string& classText,
                           const std::string& subkey) {
    WriteTrace(app, "ScanHKCR_CLSID_subkey");
    try {
        if (!ScanHKCR_CLSID_exist_subkey(app, classText, subkey)) return;
        ShowRegistryItem(app, "HKCR\\CLSID\\" + classText + "\\" + subkey);
        std::string key = "CLSID\\" + classText + "\\" + subkey;
        std::string valueText = GetRegistryValue(app, hive, key, "");
        if (valueText.empty()) {
            AddEmptyValueProblem(app, key, 21);
            return;
        }
        bool isIcon = text::ToLower(subkey) == "defaulticon";
        if (isIcon) {
            // "file,index" leaves the file.
            size_t comma = valueText.rfind(',');
            if (comma != std::string::npos && comma > 0) valueText = valueText.substr(0, comma);
        }
        TestBrokenRegistryPath(app, valueText, HiveName(static_cast<int32_t>(hive)) + "\\" + key,
                               kStatusBrokenLink, hive, key, "", isIcon ? 22 : 21, 0);
    } catch (...) {
        ReportError(app, "ScanHKCR_CLSID_subkey", CurrentError());
    }
}

void ScanHKCR_CLSID(App& app) {
    WriteTrace(app, "ScanHKCR_CLSID");
    try {
        if (!ScanGoesOn(app)) return;
        ScopedRegKey key(app.os.registry);
        if (key.Open(HKCR, "CLSID", KEY_ALL_ACCESS_) != kRegSuccess) return;
        std::string classText;
        for (uint32_t index = 0;; ++index) {
            if (!ScanGoesOn(app)) return;
            if (MyRegEnumKey(app, key.Get(), index, classText) != kRegSuccess) break;
            for (const char* server : {"LocalServer32", "LocalServer", "InprocServer", "DefaultIcon"})
                ScanHKCR_CLSID_subkey(app, HKCR, classText, server);
            ShowRegistryItem(app, "HKCR\\CLSID\\" + classText);

            if (ScanHKCR_CLSID_exist_subkey(app, classText, "InprocServer32")) {
                bool hasSibling = false;
                for (const char* sibling : kServerSiblings)
                    if (ScanHKCR_CLSID_exist_subkey(app, classText, sibling)) hasSibling = true;
                if (!hasSibling) {
                    std::string serverKey = "CLSID\\" + classText + "\\InprocServer32";
                    std::string valueText = GetRegistryValue(app, HKCR, serverKey, "");
                    if (!valueText.empty()) {
                        TestBrokenRegistryPath(app, valueText, "HKCR\\" + serverKey,
                                               kStatusBrokenLink, HKCR, serverKey, "", 15, 0);
                    } else {
                        AddEmptyValueProblem(app, serverKey, 15);
                    }
                }
            }
            app.DoEvents();
        }
    } catch (...) {
        WriteLog(app, "Error in ScanHKCR_CLSID, error " + std::to_string(CurrentError().number));
    }
}

void SR_ActivexHKCR(App& app) {
    WriteTrace(app, "SR_ActivexHKCR");
    try {
        if (!ScanGoesOn(app)) return;
        ScopedRegKey root(app.os.registry);
        if (root.Open(HKCR, "", KEY_ALL_ACCESS_) != kRegSuccess) return;
        std::string progId;
        for (uint32_t index = 0;; ++index) {
            if (!ScanGoesOn(app)) return;
            if (MyRegEnumKey(app, root.Get(), index, progId) != kRegSuccess) break;
            if (!text::StartsWith(progId, ".")) CheckProgId(app, progId);
            app.DoEvents();
        }
    } catch (...) {
        ReportError(app, "SR_ActivexHKCR", CurrentError());
    }
}

void SCANREG_TypeLib(App& app, const std::string& rootName) {
    WriteTrace(app, "SCANREG_TypeLib");
    try {
        if (!ScanGoesOn(app)) return;
        ScopedRegKey root(app.os.registry);
        if (root.Open(HKCR, rootName, KEY_ALL_ACCESS_) != kRegSuccess) return;
        std::string name;
        for (uint32_t index = 0;; ++index) {
            if (!ScanGoesOn(app)) return;
            if (MyRegEnumKey(app, root.Get(), index, name) != kRegSuccess) break;
            CheckTypeLibReference(app, rootName, name);
            app.DoEvents();
        }
    } catch (...) {
        ReportError(app, "SCANREG_TypeLib", CurrentError());
    }
}
