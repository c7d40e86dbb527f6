// Wine links a user's Desktop and Documents to the Linux home, and a home often holds a
// second Wine prefix (every Proton game has one) whose drive C: leads back to it. Under
// Wine such links look like plain folders, so only the identity of each folder keeps a
// walk from going round forever. The home is made by the build (tests/CMakeLists.txt),
// since a Windows program cannot make Unix links.
#include <gtest/gtest.h>

#include "platform/win32/Win32FileSystem.h"
#include "scan/OldFilesScanner.h"
#include "scan/ShortcutScanners.h"
#include "tests/ScanSupport.h"
#include "tests/contract/HostFiles.h"

using testing_support::ScanWorld;

namespace {

TEST(FolderLoops, AWineHomeWithAPrefixInsideIsWalkedOnce) {
    const std::string home = BRIVOLEX_LINKED_HOME;
    const std::string desktop = home + "\\Desktop";
    ScanWorld w;
    Win32FileSystem files;
    Platform platform = testing_support::Using(w.platform, files);
    App app(platform, w.folder.path());
    app.Scan.ContinueScan = true;
    const std::string old = home + "\\old.tmp";
    testing_support::WriteBytes(hostpath::FromUtf8(old), "x");
    ASSERT_TRUE(contract::SetHostAccessTime(old, {2024, 1, 2, 3, 4, 5}));

    ScanFolderForOldFiles(app, desktop);
    SFFBL(app, desktop);
    ASSERT_EQ(app.Problems.Count(), 1);
    EXPECT_EQ(app.Problems.Item(1)->pName(), desktop + "\\old.tmp");
}

}  // namespace
