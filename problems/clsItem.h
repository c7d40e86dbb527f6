#pragma once
// One problem a scanner found: a registry value or key that refers to something
// gone, a shortcut whose target is missing, or an old unused file.
#include <cstdint>
#include <string>

#include "platform/Registry.h"
#include "problems/ProblemCodes.h"

struct App;

class clsItem {
public:
    // Public fields, in declaration order.
    // A new record holds 0 in every number: the first code of each kind.
    int32_t pSTATUS = kStatusBrokenLink;  // a kStatus code
    int32_t pCureMethod = kCureFullPath;  // a kCure code
    int32_t pInternalType = kCheckNone;   // a kCheck code
    std::string pDescription;
    std::string pCureMissingfile;
    std::string pCureFilename;
    int32_t pCureKeyRoot = 0;
    std::string pCureKeyName;
    std::string pCureKeyValueName;
    int32_t pCureValueType = 0;

    int32_t pType() const { return pType_; }
    const std::string& pName() const { return pName_; }
    const std::string& UID() const { return UID_; }
    // Writing pType, pName or pKey rebuilds UID.
    void pType(int32_t value);
    void pName(const std::string& value);
    void pKey(const std::string& value);

    // Localised texts, computed on each call.
    std::string pTypeName(App& app) const;
    std::string pStatusName(App& app) const;
    std::string FriendlyDescription(App& app) const;

private:
    void MakeUID();

    int32_t pType_ = kTypeRegistry;
    std::string pName_;
    std::string pKey_;
    std::string UID_;
};

// "HKCR", "HKCU", "HKLM", "HKU", "HKCC" for the five roots; "" for anything else.
std::string HiveName(int32_t hive);
// "REG_NONE" .. "REG_RESOURCE_REQUIREMENTS_LIST" for 0..10; "" for anything else.
std::string RegTypeName(int32_t type);
