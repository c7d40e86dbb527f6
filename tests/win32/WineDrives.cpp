#include "tests/win32/WineDrives.h"

#include <windows.h>

namespace contract {

namespace {
bool RunningUnderWine() {
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version");
}
}  // namespace

DriveSetup WineTestDrives() {
    DriveSetup setup;
    if (!RunningUnderWine()) {
        setup.skipReason = "not under Wine: the drives of this machine are not known";
        return setup;
    }
    // Defined by scripts/wine-prefix in HKLM\Software\Wine\Drives, each with a
    // dosdevices link to a folder of the prefix.
    setup.roots = {
        {"C:\\", kDriveFixed},  {"c:\\", kDriveFixed},   {"A:\\", kDriveRemovable},
        {"D:\\", kDriveCdrom},  {"N:\\", kDriveRemote},  {"R:\\", kDriveRamdisk},
        {"Q:\\", kDriveNoRootDir},
    };
    if (GetDriveTypeW(L"D:\\") == DRIVE_NO_ROOT_DIR)
        setup.skipReason =
            "the Wine prefix has no test drives (made before scripts/wine-prefix defined them; "
            "delete build/windows/wineprefix to recreate it)";
    return setup;
}

}  // namespace contract
