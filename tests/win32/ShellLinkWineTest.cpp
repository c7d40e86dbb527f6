// Links the shell's own link object saves, read by the portable reader.
#include <windows.h>

#include <shlguid.h>
#include <shobjidl.h>

#include <gtest/gtest.h>

#include <tuple>

#include "platform/portable/PortableFileSystem.h"
#include "platform/portable/PortableShellLinks.h"
#include "platform/win32/ComPtr.h"
#include "platform/win32/WinText.h"
#include "tests/TestSupport.h"

using testing_support::WriteBytes;

namespace {

// Saves a link with the shell link object, the way a program would.
void SaveWithTheShell(const std::string& file, const ShellLinkInfo& f) {
    win::ComApartment com;
    ASSERT_TRUE(SUCCEEDED(com.Enter()));
    win::ComPtr<IShellLinkW> link;
    ASSERT_EQ(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                               link.put()),
              S_OK);
    ASSERT_TRUE(SUCCEEDED(link->SetPath(win::Wide(f.target).c_str())));
    ASSERT_EQ(link->SetArguments(win::Wide(f.arguments).c_str()), S_OK);
    ASSERT_EQ(link->SetDescription(win::Wide(f.description).c_str()), S_OK);
    ASSERT_EQ(link->SetWorkingDirectory(win::Wide(f.workingDirectory).c_str()), S_OK);
    ASSERT_EQ(link->SetIconLocation(win::Wide(f.iconLocation).c_str(), f.iconIndex), S_OK);
    ASSERT_EQ(link->SetHotkey(f.hotKey), S_OK);
    ASSERT_EQ(link->SetShowCmd(f.showCommand), S_OK);
    win::ComPtr<IPersistFile> persist;
    ASSERT_EQ(link->QueryInterface(IID_IPersistFile, persist.put()), S_OK);
    ASSERT_EQ(persist->Save(win::Wide(file).c_str(), TRUE), S_OK);
}

TEST(ShellLinkWine, LinksTheShellSavesReadTheSameInThePortableReader) {
    testing_support::ScratchFolder folder{"wlnk"};
    PortableFileSystem files;
    PortableShellLinks portable{files};
    ShellLinkInfo saved;
    saved.arguments = "/open \"a b\" --ключ";
    saved.description = "Saved by the shell";
    saved.workingDirectory = "C:\\windows";
    saved.iconLocation = "C:\\windows\\system32\\shell32.dll";
    saved.iconIndex = 12;
    saved.hotKey = 0x0346;
    saved.showCommand = SW_SHOWMINNOACTIVE;
    WriteBytes(folder.HostFile("present.txt"), "x");
    std::filesystem::create_directory(folder.HostFile("Папка"));
    WriteBytes(folder.HostFile("Папка/файл.txt"), "x");
    for (const std::string& target :
         {folder.File("present.txt"), folder.path(), std::string("C:\\Gone\\app.exe"),
          std::string("\\\\server\\share\\dir\\f.txt"), folder.File("Папка\\файл.txt"),
          std::string("C:\\文件\\测试.txt")}) {
        SCOPED_TRACE(target);
        saved.target = target;
        SaveWithTheShell(folder.File("saved.lnk"), saved);
        ShellLinkInfo read;
        ShellLinkError error;
        ASSERT_TRUE(portable.Read(folder.File("saved.lnk"), read, error)) << error.description;
        EXPECT_EQ(read.target + "|" + read.arguments + "|" + read.description + "|" +
                      read.workingDirectory + "|" + read.iconLocation,
                  saved.target + "|" + saved.arguments + "|" + saved.description + "|" +
                      saved.workingDirectory + "|" + saved.iconLocation);
        EXPECT_EQ(std::tie(read.iconIndex, read.hotKey, read.showCommand),
                  std::tie(saved.iconIndex, saved.hotKey, saved.showCommand));
    }
}

}  // namespace
