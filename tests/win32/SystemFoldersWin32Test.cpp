// The folders and versions of the running Windows (here: Wine).
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>

#include "core/App.h"
#include "core/SystemFolders.h"
#include "platform/Text.h"
#include "platform/win32/SystemPlatform.h"
#include "platform/win32/WinText.h"
#include "tests/TestSupport.h"

using testing_support::ReadLines;
using testing_support::ScratchFolder;
using testing_support::WriteBytes;
using Lines = std::vector<std::string>;

namespace {

struct Win32App {
    ScratchFolder folder{"win"};
    SystemPlatform system;
    App app{system.platform, folder.path()};
};

bool IsFolder(const std::string& path) {
    DWORD attributes = GetFileAttributesW(win::Wide(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool Contains(const Lines& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

TEST(SystemFoldersWin32, TheMachinesFoldersAreFound) {
    Win32App w;
    App& app = w.app;
    for (const char* name : {"Desktop", "Programs", "Cache"})
        EXPECT_FALSE(GetSpecialFolder(app, name).empty()) << name;
    for (const char* name : {"Common Desktop", "Common Programs"})
        EXPECT_FALSE(GetSpecialFolderAllusers(app, name).empty()) << name;
    GWSF(app);
    GWF(app);
    GetProgramFilesFolder(app);
    for (const std::string* folder :
         {&app.SystemFolder, &app.TempFolder, &app.WindowsFolder, &app.ProgramFilesFolder}) {
        EXPECT_TRUE(IsFolder(*folder)) << *folder;
        EXPECT_FALSE(folder->ends_with(":\\")) << *folder;
        EXPECT_EQ(folder->ends_with("\\"), folder == &app.TempFolder) << *folder;
    }
    EXPECT_EQ(LongPathName(app, app.TempFolder), app.TempFolder);
    EXPECT_TRUE(
        text::StartsWith(text::ToUpper(app.SystemFolder), text::ToUpper(app.WindowsFolder)));
    EXPECT_TRUE(
        Contains(ReadLines(w.folder.HostFile("app2.log")), "GWF return 1: " + app.TempFolder));
}

}  // namespace
