// A repair written back into a Wine prefix: only the lines of what changed move, every
// other byte stays, a backup comes first, and nothing is written while a wineserver runs.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <optional>

#include "TestSupport.h"
#include "platform/portable/OfflineImages.h"
#include "platform/portable/RegFile.h"
#include "platform/portable/WinePrefixWriteBack.h"
#include "platform/portable/WineRegValueText.h"

namespace fs = std::filesystem;
using namespace testing_support;

namespace {

TEST(WineRegValueText, WritesEachFormAsWineDoes) {
    const struct {
        std::string name;
        RegValue value;
        std::string text;
    } cases[] = {
        // Lines Wine 8 wrote into a fresh prefix.
        {"", RegString("\"C:\\windows\\hh.exe\" \"%1\""),
         "@=\"\\\"C:\\\\windows\\\\hh.exe\\\" \\\"%1\\\"\"\n"},
        {"Dll", RegString("cryptnet.dll", REG_MULTI_SZ_), "\"Dll\"=str(7):\"cryptnet.dll\\0\"\n"},
        {"ProgramFilesPath", RegString("%ProgramFiles%", REG_EXPAND_SZ_),
         "\"ProgramFilesPath\"=str(2):\"%ProgramFiles%\"\n"},
        {"HardwareId",
         {REG_MULTI_SZ_, std::string("root\\winebus\0\0C:\\windows\\inf", 28), 28},
         "\"HardwareId\"=hex(7):72,00,6f,00,6f,00,74,00,5c,00,77,00,69,00,6e,00,65,00,62,\\\n"
         "  00,75,00,73,00,00,00,00,00,43,00,3a,00,5c,00,77,00,69,00,6e,00,64,00,6f,00,\\\n"
         "  77,00,73,00,5c,00,69,00,6e,00,66,00\n"},
        {"", RegBinary(std::string("\0\0\0\0\0\0\0\0\0\4\0\0\0\3\0\0", 16), 0xffff1003),
         "@=hex(ffff1003):00,00,00,00,00,00,00,00,00,04,00,00,00,03,00,00\n"},
        {"Locale", RegDword(0x2a), "\"Locale\"=dword:0000002a\n"},
        // A hex digit after an escape is kept out of it by padding; the last NUL is
        // implied, one inside is not.
        {"K\xc3\xb6rper \"q\"",
         RegString(std::string("\xc3\xa9"
                               "a\xc3\xa9 \x01"
                               "7\x01\x1b\t\\\0.",
                               14)),
         "\"K\\xf6rper \\\"q\\\"\"=\"\\x00e9a\\xe9 \\0017\\1\\e\\t\\\\\\0.\"\n"},
        {"no NUL", {REG_SZ_, "AB", 2}, "\"no NUL\"=hex(1):41,00,42,00\n"},
        {"short", RegBinary("\1\2\3", REG_DWORD_), "\"short\"=hex(4):01,02,03\n"},
        {"empty", RegBinary("", REG_BINARY_), "\"empty\"=hex:\n"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(WineRegValueText(c.name, c.value, "\n"), c.text) << c.name;
    EXPECT_EQ(
        WineRegValueText("b", RegBinary(std::string(30, '\xff')), "\r\n"),
        "\"b\"=hex:ff,ff,ff,ff,ff,ff,ff,ff,ff,ff,ff,ff,ff,ff,ff,ff,ff,ff,ff,ff,ff,ff,ff,\\\r\n"
        "  ff,ff,ff,ff,ff,ff,ff\r\n");
}

// A link value as Wine stores it (on one line: the reader takes any length).
std::string LinkTo(const std::string& target) {
    std::string line = "#link\n\"SymbolicLinkValue\"=hex(6):";
    for (char c : target) {
        char unit[8];
        std::snprintf(unit, sizeof unit, "%02x,00,", static_cast<unsigned char>(c));
        line += unit;
    }
    line.back() = '\n';
    return line;
}

const std::string kHeader = "WINE REGISTRY Version 2\n;; All keys relative to REGISTRY\\\\";
const std::string kSystemTop = kHeader + "Machine\n\n#arch=win64\n";
const std::string kGone = "\n[Software\\\\Gone] 1796530730\n#time=1dd8538e5973218\n\"a\"=\"1\"\n";
const std::string kGoneSub =
    "\n[Software\\\\Gone\\\\Sub] 1796530731\n\"bin\"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,"
    "0d,0e,0f,10,11,12,13,14,15,16,\\\n  17,18\n";
const std::string kKeptTop = "\n[Software\\\\Kept] 1796530732\n#time=1dd8538e597321a\n";
const std::string kHardwareId =
    "\"HardwareId\"=hex(7):72,00,6f,00,6f,00,74,00,5c,00,77,00,69,00,6e,00,65,00,62,\\\n"
    "  00,75,00,73,00,00,00,00,00\n";
const std::string kPath = "\"Path\"=str(2):\"%ProgramFiles%\\\\Old\"\n";
const std::string kKoerper = "\"K\\xf6rper\"=\"\\x65e5\"\n";
const std::string kSame = "\"Same\"=\"\\\"C:\\\\windows\\\\hh.exe\\\" \\\"%1\\\"\"\n";
const std::string kZetaTop = "\n[Software\\\\Kept\\\\Zeta] 1796530733\n";
const std::string kZetaValue = "\"Gone too\"=dword:00000001\n";
const std::string kLinks = "\n[Software\\\\Link] 1796530734\n" +
                           LinkTo("\\Registry\\Machine\\Software\\Kept") +
                           "\n[Software\\\\Wow6432Node\\\\Classes] 1796530735\n" +
                           LinkTo("\\Registry\\Machine\\Software\\Classes\\Wow6432Node");
const std::string kLast = "\n[Software\\\\Zzz last] 1796530736\n\"v\"=\"\"\n";
const std::string kUser =
    kHeader + "User\\\\S-1-5-21-0-0-0-1000\n\n[Environment] 1\n\"TEMP\"=\"C:\\\\t\"\n";
const std::string kUserDefTop = kHeader + "User\\\\.Default\n\n[Control Panel] 1\n";

void Set(Registry& registry, RegKey hive, const std::string& key, const std::string& name,
         const std::string& text) {
    ScopedRegKey open(registry);
    ASSERT_EQ(open.Open(hive, key, KEY_ALL_ACCESS_), kRegSuccess);
    ASSERT_EQ(registry.SetValue(open.Get(), name, RegString(text)), kRegSuccess);
}

void Delete(Registry& registry, RegKey hive, const std::string& key, const std::string& name) {
    ScopedRegKey open(registry);
    ASSERT_EQ(open.Open(hive, key, KEY_ALL_ACCESS_), kRegSuccess);
    ASSERT_EQ(registry.DeleteValue(open.Get(), name), kRegSuccess);
}

// A prefix with the files above, loaded.
struct Prefix {
    ScratchFolder folder{"pfx"};
    InMemoryRegistry registry;
    const std::string system = kSystemTop + kGone + kGoneSub + kKeptTop + kHardwareId + kPath +
                               kKoerper + kSame + kZetaTop + kZetaValue + kLinks + kLast;
    const std::string userDef = kUserDefTop + "\"Keep\"=\"1\"\n\"Drop\"=\"2\"\n";

    Prefix() {
        fs::create_directories(folder.host() / "drive_c");
        fs::create_directories(folder.host() / "dosdevices");
        fs::create_directory_symlink("../drive_c", folder.host() / "dosdevices/c:");
        WriteBytes(folder.HostFile("system.reg"), system);
        WriteBytes(folder.HostFile("user.reg"), kUser);
        WriteBytes(folder.HostFile("userdef.reg"), userDef);
        std::vector<OfflineDrive> drives;
        std::string note, error;
        EXPECT_TRUE(LoadWinePrefix(registry, folder.path(), drives, note, error)) << error;
    }
    std::string Path(const std::string& name) const { return folder.path() + "/" + name; }
};

TEST(WinePrefixWriteBack, OnlyTheLinesOfWhatChangedMove) {
    Prefix prefix;
    InMemoryRegistry& r = prefix.registry;
    ASSERT_TRUE(r.DeleteTree(HKLM, "Software\\Gone"));
    ASSERT_TRUE(r.DeleteTree(HKLM, "Software\\Zzz last"));
    Delete(r, HKLM, "Software\\Kept", "HardwareId");
    Delete(r, HKLM, "Software\\Kept\\Zeta", "Gone too");
    Delete(r, HKU, ".DEFAULT\\Control Panel", "Drop");
    Set(r, HKLM, "Software\\Kept", "Path", "C:\\Program Files\\Neu \"\xc3\xa4\"");
    Set(r, HKLM, "Software\\Kept", "K\xc3\xb6rper",
        "\xe6\x97\xa5"
        "a");
    struct stat userBefore {};
    ::stat(prefix.Path("user.reg").c_str(), &userBefore);

    std::vector<std::string> changed;
    std::string error;
    ASSERT_TRUE(WriteBackWinePrefix(r, prefix.folder.path(), "20240101-1200", changed, error))
        << error;

    EXPECT_EQ(changed,
              (std::vector<std::string>{prefix.Path("system.reg"), prefix.Path("userdef.reg")}));
    EXPECT_EQ(ReadBytes(prefix.Path("system.reg")),
              kSystemTop + kKeptTop +
                  "\"Path\"=\"C:\\\\Program Files\\\\Neu \\\"\\xe4\\\"\"\n"
                  "\"K\\xf6rper\"=\"\\x65e5a\"\n" +
                  kSame + kZetaTop + kLinks);
    EXPECT_EQ(ReadBytes(prefix.Path("userdef.reg")), kUserDefTop + "\"Keep\"=\"1\"\n");
    EXPECT_EQ(ReadBytes(prefix.Path("system.reg.brivolex-20240101-1200.bak")), prefix.system);
    EXPECT_EQ(ReadBytes(prefix.Path("userdef.reg.brivolex-20240101-1200.bak")), prefix.userDef);
    struct stat userAfter {};
    ::stat(prefix.Path("user.reg").c_str(), &userAfter);
    EXPECT_EQ(userAfter.st_ino, userBefore.st_ino);  // not even rewritten alike
    EXPECT_FALSE(Exists(prefix.Path("user.reg.brivolex-20240101-1200.bak")));

    // Read again, the prefix holds what the repaired registry held.
    InMemoryRegistry reread;
    std::vector<OfflineDrive> drives;
    std::string note;
    ASSERT_TRUE(LoadWinePrefix(reread, prefix.folder.path(), drives, note, error)) << error;
    const std::pair<RegKey, std::string> compared[] = {
        {HKLM, "Software\\Kept"}, {HKCU, ""}, {HKU, ".DEFAULT"}};
    for (const auto& [hive, key] : compared)
        EXPECT_EQ(ExportRegFile(reread, hive, key), ExportRegFile(r, hive, key)) << key;
    EXPECT_EQ(ExportRegFile(reread, HKLM, "Software\\Gone"), "");
}

// Holds the lock a wineserver holds on the prefix, in a folder of the temporary folder
// named by the prefix's file "wineserver", as Debian's Wine places it.
class FakeServer {
  public:
    explicit FakeServer(const fs::path& prefix) {
        struct stat st {};
        ::stat(prefix.c_str(), &st);
        char name[64];
        std::snprintf(name, sizeof name, "server-%llx-%llx",
                      static_cast<unsigned long long>(st.st_dev),
                      static_cast<unsigned long long>(st.st_ino));
        WriteBytes(prefix / "wineserver", folder_.host().filename().string());
        dir_ = folder_.host() / name;
        fs::create_directories(dir_);
        fd_ = ::open((dir_ / "lock").c_str(), O_CREAT | O_RDWR | O_CLOEXEC, 0600);
        struct flock lock {};
        lock.l_type = F_WRLCK;
        lock.l_whence = SEEK_SET;
        lock.l_len = 1;
        // An open file's own lock, which this process's test of the lock also sees.
        EXPECT_EQ(::fcntl(fd_, F_OFD_SETLK, &lock), 0);
    }
    ~FakeServer() { Stop(); }
    void Stop() {
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
    }
    std::string dir() const { return dir_.string(); }

  private:
    ScratchFolder folder_{"wine"};
    fs::path dir_;
    int fd_ = -1;
};

TEST(WineServerRunning, SeesTheLockOfTheServerFolder) {
    ScratchFolder prefix("pfx");
    std::string detail;
    EXPECT_FALSE(WineServerRunning(prefix.path(), detail));
    EXPECT_EQ(detail, "no wineserver serves " + prefix.path());

    FakeServer server(prefix.host());
    EXPECT_TRUE(WineServerRunning(prefix.path(), detail));
    EXPECT_EQ(detail, "a wineserver serves " + prefix.path() + " from " + server.dir());
    server.Stop();
    EXPECT_FALSE(WineServerRunning(prefix.path(), detail));
    EXPECT_EQ(detail, "no wineserver serves " + prefix.path() + " (" + server.dir() +
                          " is left from one that stopped)");
}

TEST(WinePrefixWriteBack, RefusesToWriteAndWritesNothing) {
    enum Obstacle { kServer, kBackup, kStamp };
    const struct {
        Obstacle what;
        std::string stamp;
        std::string error;  // its start, after the prefix's path
    } cases[] = {
        {kServer, "s", " from "},
        {kBackup, "s", "/userdef.reg.brivolex-s.bak exists already: nothing written"},
        {kStamp, "../s", ""},
    };
    const std::string before[] = {"a wineserver serves ", "the backup ",
                                  "the backup stamp \"../s\" may hold only letters"};
    for (const auto& c : cases) {
        Prefix prefix;
        ASSERT_TRUE(prefix.registry.DeleteTree(HKLM, "Software\\Gone"));
        Delete(prefix.registry, HKU, ".DEFAULT\\Control Panel", "Drop");
        std::optional<FakeServer> server;
        if (c.what == kServer) server.emplace(prefix.folder.host());
        // The second file's: found before the first file's backup is made.
        if (c.what == kBackup) WriteBytes(prefix.Path("userdef.reg.brivolex-s.bak"), "old");
        std::vector<std::string> changed;
        std::string error;
        EXPECT_FALSE(
            WriteBackWinePrefix(prefix.registry, prefix.folder.path(), c.stamp, changed, error))
            << c.what;
        std::string expected =
            before[c.what] + (c.what == kStamp ? "" : prefix.folder.path()) + c.error;
        EXPECT_EQ(error.substr(0, expected.size()), expected) << c.what;
        EXPECT_TRUE(changed.empty()) << c.what;
        EXPECT_EQ(ReadBytes(prefix.Path("system.reg")), prefix.system) << c.what;
        EXPECT_EQ(ReadBytes(prefix.Path("userdef.reg")), prefix.userDef) << c.what;
        EXPECT_FALSE(Exists(prefix.Path("system.reg.brivolex-s.bak"))) << c.what;
    }
}

}  // namespace
