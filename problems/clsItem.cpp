#include "problems/clsItem.h"

#include <iterator>

#include "core/Errors.h"
#include "core/Language.h"

void clsItem::pType(int32_t value) {
    pType_ = value;
    MakeUID();
}

void clsItem::pName(const std::string& value) {
    pName_ = value;
    MakeUID();
}

void clsItem::pKey(const std::string& value) {
    pKey_ = value;
    MakeUID();
}

void clsItem::MakeUID() {
    switch (pType_) {
        case kTypeRegistry: UID_ = "registry_" + pName_ + "_" + pKey_; break;
        // The shortcut scanner leaves pKey empty, hence "shortcut__<path>".
        case kTypeShortcut: UID_ = "shortcut_" + pKey_ + "_" + pName_; break;
        case kTypeFile: UID_ = "file_" + pName_ + "_" + pKey_; break;
        default: UID_ = "unknown_"; break;
    }
}

std::string clsItem::pTypeName(App& app) const {
    switch (pType_) {
        case kTypeRegistry: return GetLangString(app, "type_registry", "Registry");
        case kTypeShortcut: return GetLangString(app, "type_shortcut", "Shortcut");
        case kTypeFile: return GetLangString(app, "type_file", "File");
        default: return "";
    }
}

std::string clsItem::pStatusName(App& app) const {
    switch (pSTATUS) {
        case kStatusBrokenLink: return GetLangString(app, "status_brokenlink", "Broken link");
        case kStatusUnusedFile: return GetLangString(app, "status_unusedfile", "Unused file");
        case kStatusWrongUninstall:
            return GetLangString(app, "status_wronguninstall", "Wrong uninstall info");
        case kStatusWrongHelp: return GetLangString(app, "status_wronghelp", "Broken help link");
        case kStatusUnusedSuffix:
            return GetLangString(app, "status_unused_suffix", "Unused file suffix");
        case kStatusActivex: return GetLangString(app, "status_activex", "ActiveX/COM");
        default: return "";
    }
}

std::string clsItem::FriendlyDescription(App& app) const {
    try {
        std::string text = pTypeName(app) + " : " + pStatusName(app) + " | ";
        text += pCureFilename + " : ";
        if (pType_ == kTypeRegistry) text += RegTypeName(pCureValueType) + " ; ";
        text += HiveName(pCureKeyRoot) + "\\" + pCureKeyName + "\\" + pCureKeyValueName + " | ";
        text += pCureMissingfile;
        return text;
    } catch (...) {
        PassOnOutOfMemory();
        return "";
    }
}

std::string HiveName(int32_t hive) {
    switch (static_cast<RegKey>(hive)) {
        case HKCR: return "HKCR";
        case HKCU: return "HKCU";
        case HKLM: return "HKLM";
        case HKU: return "HKU";
        case HKCC: return "HKCC";
        default: return "";
    }
}

std::string RegTypeName(int32_t type) {
    static const char* const kNames[] = {
        "REG_NONE",
        "REG_SZ",
        "REG_EXPAND_SZ",
        "REG_BINARY",
        "REG_DWORD",
        "REG_DWORD_BIG_ENDIAN",
        "REG_LINK",
        "REG_MULTI_SZ",
        "REG_RESOURCE_LIST",
        "REG_FULL_RESOURCE_DESCRIPTOR",
        "REG_RESOURCE_REQUIREMENTS_LIST",
    };
    if (type < 0 || type >= static_cast<int32_t>(std::size(kNames))) return "";
    return kNames[type];
}
