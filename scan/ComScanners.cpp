#include "scan/ComScanners.h"

#include "core/Logs.h"
#include "platform/Text.h"
#include "problems/Admission.h"
#include "scan/PathTests.h"
#include "scan/RegistryRead.h"
#include "scan/ScannerSupport.h"

using scanner::Names;
using scanner::NewProblem;
using scanner::ScanNames;
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
    problem->pCureMethod = kCureFullPath;
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
    ShowRegistryItem(app, "HKCR\\", progId);

    std::string lower = text::ToLower(progId);
    bool registered = !text::StartsWith(classText, "{") || !text::EndsWith(classText, "}") ||
                      RegistryKeyExists(app, HKCR, "CLSID\\" + classText) ||
                      RegistryKeyExists(app, HKLM, "SOFTWARE\\Classes\\CLSID\\" + classText) ||
                      lower == "headerfooter.headerfooter" || lower == "headerfooter.headerfooter.1" ||
                      // A 32-bit class is registered in the 32-bit view only.
                      RegistryKeyExistsInEitherView(app, HKCR, "CLSID\\" + classText);
    if (registered) return;
    auto problem = NewProblem();
    problem->pType(kTypeRegistry);
    problem->pSTATUS = kStatusActivex;
    problem->pInternalType = kCheckProgId;
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
    ShowRegistryItem(app, "HKCR\\", rootName, "\\", name);
    std::string typeLibKey = rootName + "\\" + name + "\\TypeLib";
    std::string library = GetRegistryValue(app, HKCR, typeLibKey, "");
    if (!IsGUID(library)) return;  // a missing or malformed reference is not reported
    // Classes and interfaces of 32-bit libraries are registered in the 32-bit view only;
    // type libraries are shared by both views.
    if (RegistryKeyExistsInEitherView(app, HKCR, "CLSID\\" + library) ||
        RegistryKeyExistsInEitherView(app, HKCR, "Interface\\" + library) ||
        RegistryKeyExists(app, HKCR, "TypeLib\\" + library))
        return;
    auto problem = NewProblem();
    problem->pType(kTypeRegistry);
    problem->pSTATUS = kStatusActivex;
    problem->pInternalType = kCheckTypeLibrary;
    problem->pName("HKCR\\" + typeLibKey);
    problem->pKey("HKCR\\" + typeLibKey);
    problem->pDescription =
        GetLangString(app, "description_misssig_typelib", "Missing type library") + " " + library;
    problem->pCureKeyRoot = static_cast<int32_t>(HKCR);
    problem->pCureKeyName = typeLibKey;
    addProblem(app, problem);
    WriteTrace(app, name);
}

// A class whose only server is "InprocServer32" must name a file that exists.
void CheckLoneInprocServer32(App& app, const std::string& classText) {
    if (!ScanHKCR_CLSID_exist_subkey(app, classText, "InprocServer32")) return;
    for (const char* sibling : kServerSiblings)
        if (ScanHKCR_CLSID_exist_subkey(app, classText, sibling)) return;
    std::string serverKey = "CLSID\\" + classText + "\\InprocServer32";
    std::string valueText = GetRegistryValue(app, HKCR, serverKey, "");
    if (valueText.empty()) {
        AddEmptyValueProblem(app, serverKey, kCheckLoneInprocServer);
        return;
    }
    TestBrokenRegistryPath(app, valueText, "HKCR\\" + serverKey, kStatusBrokenLink, HKCR, serverKey,
                           "", kCheckLoneInprocServer, kCureFullPath);
}

}  // namespace

bool IsGUID(std::string& textValue) {
    textValue = text::Trim(textValue);
    if (text::CharCount(textValue) != 38) return false;
    // Only the braces and the four dashes are looked at; the other characters may be
    // anything, non-ASCII included.
    for (size_t dash : {10, 15, 20, 25})
        if (text::CharAt(textValue, dash) != "-") return false;
    return textValue.front() == '{' && textValue.back() == '}';
}

void ScanHKCR(App& app, const std::string& keyPath) {
    WriteTrace(app, "ScanHKCR");
    try {
        if (!ScanGoesOn(app)) return;
        ScanNames(app, HKCR, keyPath, Names::Subkeys, [&](const std::string& application) {
            std::string shellPath = keyPath + "\\" + application + "\\shell";
            ScanNames(app, HKCR, shellPath, Names::Subkeys, [&](const std::string& verb) {
                std::string commandKey = shellPath + "\\" + verb + "\\command";
                ShowRegistryItem(app, commandKey);
                std::string valueText = GetRegistryValue(app, HKCR, commandKey, "");
                TestBrokenRegistryPath(app, valueText, "HKCR\\" + commandKey, kStatusBrokenLink,
                                       HKCR, commandKey, "", kCheckShellCommand, kCureFullPath);
            });
        });
    } catch (...) {
        PassOnOutOfMemory();
        WriteLog(app, "Error in ScanHKCR, error " + std::to_string(CurrentError().number));
    }
}

void ScanHKCR_CLSID_subkey(App& app, RegKey hive, const std::string& classText,
                           const std::string& subkey) {
    WriteTrace(app, "ScanHKCR_CLSID_subkey");
    try {
        if (!ScanHKCR_CLSID_exist_subkey(app, classText, subkey)) return;
        ShowRegistryItem(app, "HKCR\\CLSID\\", classText, "\\", subkey);
        std::string key = "CLSID\\" + classText + "\\" + subkey;
        std::string valueText = GetRegistryValue(app, hive, key, "");
        if (valueText.empty()) {
            AddEmptyValueProblem(app, key, kCheckClassServer);
            return;
        }
        bool isIcon = text::ToLower(subkey) == "defaulticon";
        if (isIcon) {
            // "file,index" leaves the file.
            size_t comma = valueText.rfind(',');
            if (comma != std::string::npos && comma > 0) valueText = valueText.substr(0, comma);
        }
        TestBrokenRegistryPath(app, valueText, HiveName(static_cast<int32_t>(hive)) + "\\" + key,
                               kStatusBrokenLink, hive, key, "",
                               isIcon ? kCheckClassIcon : kCheckClassServer, kCureFullPath);
    } catch (...) {
        PassOnOutOfMemory();
        ReportError(app, "ScanHKCR_CLSID_subkey", CurrentError());
    }
}

void ScanHKCR_CLSID(App& app) {
    WriteTrace(app, "ScanHKCR_CLSID");
    try {
        if (!ScanGoesOn(app)) return;
        ScanNames(app, HKCR, "CLSID", Names::Subkeys, [&](const std::string& classText) {
            for (const char* server : {"LocalServer32", "LocalServer", "InprocServer", "DefaultIcon"})
                ScanHKCR_CLSID_subkey(app, HKCR, classText, server);
            ShowRegistryItem(app, "HKCR\\CLSID\\", classText);
            CheckLoneInprocServer32(app, classText);
        });
    } catch (...) {
        PassOnOutOfMemory();
        WriteLog(app, "Error in ScanHKCR_CLSID, error " + std::to_string(CurrentError().number));
    }
}

void SR_ActivexHKCR(App& app) {
    WriteTrace(app, "SR_ActivexHKCR");
    try {
        if (!ScanGoesOn(app)) return;
        ScanNames(app, HKCR, "", Names::Subkeys, [&](const std::string& progId) {
            if (!text::StartsWith(progId, ".")) CheckProgId(app, progId);
        });
    } catch (...) {
        PassOnOutOfMemory();
        ReportError(app, "SR_ActivexHKCR", CurrentError());
    }
}

void SCANREG_TypeLib(App& app, const std::string& rootName) {
    WriteTrace(app, "SCANREG_TypeLib");
    try {
        if (!ScanGoesOn(app)) return;
        ScanNames(app, HKCR, rootName, Names::Subkeys,
                  [&](const std::string& name) { CheckTypeLibReference(app, rootName, name); });
    } catch (...) {
        PassOnOutOfMemory();
        ReportError(app, "SCANREG_TypeLib", CurrentError());
    }
}
