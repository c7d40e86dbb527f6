#include "problems/Admission.h"

#include "core/App.h"
#include "core/Errors.h"
#include "core/Logs.h"
#include "platform/FileSystem.h"
#include "platform/Text.h"
#include "problems/clsItem.h"
#include "scan/PathTests.h"

namespace {

// The repair cannot rewrite expandable or multi-string values, so they are not listed.
bool HasUnsupportedValueType(const clsItem& item) {
    return item.pType() == kTypeRegistry &&
           (item.pCureValueType == REG_EXPAND_SZ_ || item.pCureValueType == REG_MULTI_SZ_);
}

// Only a path that starts with a drive root ("C:\") is tested; other paths pass.
bool OnUnsupportedDrive(App& app, const clsItem& item, uint32_t& driveType) {
    std::string root = text::Left(item.pCureMissingfile, 3);
    if (text::CharCount(root) != 3 || !text::EndsWith(root, ":\\")) return false;
    driveType = MyGetDriveType(app, root);
    return driveType == kDriveNoRootDir || driveType == kDriveRemovable ||
           driveType == kDriveRemote || driveType == kDriveCdrom;
}

}  // namespace

void addProblem(App& app, const ProblemRef& record) {
    WriteTrace(app, "addProblem");
    try {
        if (!record) throw RuntimeError(kErrObjectNotSet);
        const clsItem& item = *record;
        bool admit = true;

        if (HasUnsupportedValueType(item)) {
            admit = false;
            WriteProblemLog(app, "Problem skipped (becuse of unsupported registry value type) : " +
                                     item.FriendlyDescription(app));
        }

        // Old files are deleted wherever they are, and MenuOrder entries name shortcuts
        // that are expected, not found: neither depends on the drive.
        if (item.pSTATUS != kStatusUnusedFile && item.pInternalType != kCheckMenuOrder) {
            uint32_t driveType = 0;
            if (OnUnsupportedDrive(app, item, driveType)) {
                admit = false;
                WriteProblemLog(app, "Problem skipped (pointing to unsupported drive " +
                                         std::to_string(driveType) +
                                         " ) : " + item.FriendlyDescription(app));
            }
        }

        if (admit) {
            WriteProblemLog(app, "Problem: " + item.FriendlyDescription(app));
            app.Problems.Add(record);
        }
    } catch (...) {
        PassOnOutOfMemory();
        WriteLog(app, "Error in addProblem, error " + std::to_string(CurrentError().number));
    }
}
