// Feeds arbitrary bytes as an INI file (setup.ini, a language file) to the portable
// profile reader and writer: reads never crash, and a written value reads back.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/portable/PortableProfile.h"

namespace {

// One file held in memory.
class MemoryFiles : public FileSystem {
public:
    std::string content;
    bool GetAttributes(const std::string&, uint32_t& a) override {
        a = kAttrArchive;
        return true;
    }
    bool CanOpenForReading(const std::string&) override { return true; }
    uint32_t QueryDriveType(const std::string&) override { return kDriveFixed; }
    bool ListFolder(const std::string&, std::vector<DirEntry>&) override { return false; }
    bool GetLastAccessTime(const std::string&, DateTime&) override { return false; }
    bool GetFolderId(const std::string&, FolderId&) override { return false; }
    bool ExistenceUnknown(const std::string&) override { return false; }
    bool AppendLine(const std::string&, const std::string&) override { return false; }
    bool CreateEmpty(const std::string&) override { return false; }
    bool WriteAnsiText(const std::string&, const std::string&) override { return false; }
    bool ReadFile(const std::string&, std::string& bytes) override {
        bytes = content;
        return true;
    }
    bool WriteFile(const std::string&, const std::string& bytes) override {
        content = bytes;
        return true;
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    MemoryFiles files;
    files.content.assign(reinterpret_cast<const char*>(data), size);
    PortableProfile profile(files);
    const char* keys[] = {"language", "wasfirstrun", "a", "", "k y"};
    for (const char* section : {"Main", "Lang", "", "main"})
        for (const char* key : keys) profile.GetString(section, key, " def ", "x.ini", 2048);
    // Short buffers cut without splitting characters.
    profile.GetString("Main", "language", "", "x.ini", 3);

    auto startsWithMark = [](const std::string& s) {
        return s.rfind("\xFF\xFE", 0) == 0 || s.rfind("\xEF\xBB\xBF", 0) == 0;
    };
    bool markedBefore = startsWithMark(files.content);
    if (profile.WriteString("Main", "fuzzkey", "fuzz value", "x.ini") != 0) std::abort();
    // Blanks in front of bytes that look like a byte-order mark are dropped on rewrite, as
    // the Windows profile functions drop them; the file then reads in that encoding.
    if (!markedBefore && startsWithMark(files.content)) return 0;
    if (profile.GetString("Main", "fuzzkey", "", "x.ini", 2048) != "fuzz value") std::abort();
    return 0;
}
