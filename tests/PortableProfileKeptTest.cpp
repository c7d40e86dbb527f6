// The portable profile keeps a file's parsed lines while the file's stamp is unchanged;
// whatever happens to the file, the next read sees it.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <initializer_list>
#include <thread>

#include "platform/portable/PortableFileSystem.h"
#include "platform/portable/PortableProfile.h"
#include "tests/TestSupport.h"

using testing_support::ScratchFolder;
using testing_support::WriteBytes;

namespace fs = std::filesystem;

namespace {

// The portable file system, counting whole-file reads.
class CountingReads : public PortableFileSystem {
public:
    bool ReadFile(const std::string& path, std::string& bytes) override {
        ++reads;
        return PortableFileSystem::ReadFile(path, bytes);
    }
    int reads = 0;
};

struct KeptWorld {
    std::string Get() { return profile.GetString("Lang", "k", "def", ini, 2048); }
    ScratchFolder folder{"kept"};
    std::string ini = folder.File("eng.txt");
    fs::path host = folder.HostFile("eng.txt");
    CountingReads files;
    PortableProfile profile{files};
};

// Puts the files' last writes an hour back and waits until they count as left alone.
void LeaveAlone(std::initializer_list<fs::path> files) {
    for (const fs::path& file : files)
        fs::last_write_time(file, fs::last_write_time(file) - std::chrono::hours(1));
    std::this_thread::sleep_for(PortableProfile::kSettleTime + std::chrono::milliseconds(200));
}

TEST(PortableProfileKept, AChangeRightAfterAReadIsSeen) {
    struct Case {
        const char* change;
        std::function<void(KeptWorld&)> apply;
        const char* expected;
    };
    const Case cases[] = {
        {"rewritten in place, same size, same second",
         [](KeptWorld& w) { WriteBytes(w.host, "[Lang]\r\nk=two\r\n"); }, "two"},
        {"rewritten longer", [](KeptWorld& w) { WriteBytes(w.host, "[Lang]\r\nk=three\r\n"); },
         "three"},
        {"replaced by another file",
         [](KeptWorld& w) {
             WriteBytes(w.folder.HostFile("new.txt"), "[Lang]\r\nk=new\r\n");
             fs::rename(w.folder.HostFile("new.txt"), w.host);
         },
         "new"},
        {"removed", [](KeptWorld& w) { fs::remove(w.host); }, "def"},
        {"written through the profile",
         [](KeptWorld& w) { EXPECT_EQ(w.profile.WriteString("Lang", "k", "six", w.ini), 0); },
         "six"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.change);
        KeptWorld w;
        WriteBytes(w.host, "[Lang]\r\nk=one\r\n");
        EXPECT_EQ(w.Get(), "one");
        c.apply(w);
        EXPECT_EQ(w.Get(), c.expected);
        // A file changed moments ago is read at every lookup.
        int reads = w.files.reads;
        w.Get();
        EXPECT_EQ(w.files.reads, reads + 1);
    }
}

TEST(PortableProfileKept, AFileLeftAloneIsReadOnceAndItsChangesAreStillSeen) {
    KeptWorld w;
    std::string other = w.folder.File("deu.txt");
    fs::path otherHost = w.folder.HostFile("deu.txt");
    WriteBytes(w.host, "[Lang]\r\nk=one\r\nother=x\r\n");
    WriteBytes(otherHost, "[Lang]\r\nk=uno\r\n");
    LeaveAlone({w.host, otherHost});

    EXPECT_EQ(w.Get(), "one");
    EXPECT_EQ(w.profile.GetString("Lang", "other", "", w.ini, 2048), "x");
    EXPECT_EQ(w.Get(), "one");
    EXPECT_EQ(w.profile.GetString("Lang", "k", "", other, 2048), "uno");
    EXPECT_EQ(w.files.reads, 2);

    // Rewritten with the same size: its write time moves on.
    WriteBytes(w.host, "[Lang]\r\nk=two\r\nother=x\r\n");
    EXPECT_EQ(w.Get(), "two");
    EXPECT_EQ(w.files.reads, 3);

#ifndef _WIN32
    // Rewritten with the same size and its write time put back as it was: the change
    // time still moves on. (The C runtime of Windows gives no change time, and the
    // Windows profile functions do not see such a change either.)
    fs::file_time_type written = fs::last_write_time(otherHost);
    WriteBytes(otherHost, "[Lang]\r\nk=due\r\n");
    fs::last_write_time(otherHost, written);
    EXPECT_EQ(w.profile.GetString("Lang", "k", "", other, 2048), "due");
#endif
}

}  // namespace
