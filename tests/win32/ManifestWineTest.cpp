// The rights each program asks Windows for in its manifest: Brivolex.exe the highest
// the account has (an administrator's start is elevated, a standard user's runs as
// before), brivolex-cli.exe only those of whoever starts it.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "platform/win32/WinText.h"

namespace {

std::string Manifest(const std::string& program) {
    std::string path = std::string(BRIVOLEX_PROGRAM_DIR) + "\\" + program;
    HMODULE module = LoadLibraryExW(win::Wide(path).c_str(), nullptr,
                                    LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    if (!module) return "";
    std::string text;
    if (HRSRC resource = FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24))) {
        HGLOBAL loaded = LoadResource(module, resource);
        const char* bytes = static_cast<const char*>(LockResource(loaded));
        if (bytes) text.assign(bytes, SizeofResource(module, resource));
    }
    FreeLibrary(module);
    return text;
}

TEST(ManifestWine, EachProgramAsksForItsExecutionLevel) {
    struct Case {
        const char* program;
        const char* level;
    };
    for (Case c : {Case{"Brivolex.exe", "highestAvailable"}, Case{"brivolex-cli.exe", "asInvoker"}}) {
        SCOPED_TRACE(c.program);
        std::string manifest = Manifest(c.program);
        ASSERT_NE(manifest, "");
        EXPECT_NE(manifest.find(std::string("<requestedExecutionLevel level=\"") + c.level + "\""),
                  std::string::npos)
            << manifest;
    }
}

}  // namespace
