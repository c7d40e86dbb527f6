// .reg files: the export laid out byte for byte as REG EXPORT lays it out, every form
// of the import, and malformed files that change nothing.
#include <gtest/gtest.h>

#include "platform/Text.h"
#include "platform/portable/PortableFileSystem.h"
#include "platform/portable/RegFile.h"
#include "tests/TestSupport.h"

namespace {

// A Version 5.00 file as REG EXPORT writes it: UTF-16LE with BOM and CR LF.
std::string Utf16File(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\r\n";
    std::string bytes;
    for (char16_t u : u"\xFEFF" + text::Utf8ToUtf16(text))
        bytes += {static_cast<char>(u & 0xFF), static_cast<char>(u >> 8)};
    return bytes;
}

const std::string kHeader = "Windows Registry Editor Version 5.00";

std::string Repeat(const std::string& part, int times) {
    std::string text;
    for (int i = 0; i < times; ++i) text += part;
    return text;
}

// What REG EXPORT under Wine wrote for the key that `BuildGolden` lays out.
const std::string kGolden = Utf16File({
    kHeader,
    "",
    "[HKEY_CURRENT_USER\\Software\\Golden]",
    "@=\"default\"",
    "\"averyveryveryveryverylongvaluenamethatgoesonandon\"=hex:00,07,0e,15,1c,23,2a,\\",
    "  31,38,3f,46,4d,54,5b,62,69,70,77,7e,85,8c,93,9a,a1,a8,af,b6,bd,c4,cb,d2,d9,\\",
    "  e0,e7,ee,f5,fc,03,0a,11",
    "\"bin\"=hex:00,07,0e,15,1c,23,2a,31,38,3f,46,4d,54,5b,62,69,70,77,7e,85,8c,93,9a,\\",
    "  a1,a8,af,b6,bd,c4,cb,d2,d9,e0,e7,ee,f5,fc,03,0a,11,18,1f,26,2d,34,3b,42,49,\\",
    "  50,57,5e,65,6c,73,7a,81,88,8f,96,9d,a4,ab,b2,b9,c0,c7,ce,d5,dc,e3,ea,f1,f8,\\",
    "  ff,06,0d,14,1b,22,29,30,37,3e,45,4c,53,5a,61,68,6f,76,7d,84,8b,92,99,a0,a7,\\",
    "  ae,b5",
    "\"bin0\"=hex:",
    "\"dw\"=dword:deadbeef",
    "\"dw0\"=hex(4):",
    "\"emptysz\"=\"\"",
    "\"exp\"=hex(2):25,00,53,00,79,00,73,00,74,00,65,00,6d,00,52,00,6f,00,6f,00,74,00,\\",
    "  25,00,5c,00,78,00,00,00",
    "\"multi\"=hex(7):6f,00,6e,00,65,00,00,00,74,00,77,00,6f,00,00,00,00,00",
    "\"none\"=hex(0):00,07,0e",
    "\"q\\\"n\\\\m\"=\"x\"",
    "\"qw\"=hex(b):00,07,0e,15,1c,23,2a,31",
    "\"str\"=\"a\\\"b\\\\c\\r\\nd\"",
    "\"t0x20000\"=hex(20000):00,07",
    "\"\xD0\x96\xD1\x83\xD0\xBA\"=\"\xE4\xB8\xAD\xE6\x96\x87\xC3\xA9\"",
    "",
    "[HKEY_CURRENT_USER\\Software\\Golden\\K[1]]",
    "",
    "[HKEY_CURRENT_USER\\Software\\Golden\\Sub]",
    "",
    "[HKEY_CURRENT_USER\\Software\\Golden\\Sub\\Deeper]",
    "@=hex(2):25,00,54,00,45,00,4d,00,50,00,25,00,00,00",
    "",
    "[HKEY_CURRENT_USER\\Software\\Golden\\\xD0\x9A\xD0\xBB\xD1\x8E\xD1\x87]",
    "",
});

std::string Bytes(int count) {
    std::string bytes;
    for (int i = 0; i < count; ++i) bytes += static_cast<char>(i * 7);
    return bytes;
}

void BuildGolden(InMemoryRegistry& reg) {
    const std::string key = "Software\\Golden";
    const std::pair<const char*, RegValue> values[] = {
        {"", RegString("default")},
        {"averyveryveryveryverylongvaluenamethatgoesonandon", RegBinary(Bytes(40))},
        {"bin", RegBinary(Bytes(100))},
        {"bin0", RegBinary("")},
        {"dw", RegDword(0xDEADBEEF)},
        {"dw0", RegBinary("", REG_DWORD_)},
        {"emptysz", RegValue{REG_SZ_, "", 0}},
        {"exp", RegString("%SystemRoot%\\x", REG_EXPAND_SZ_)},
        {"multi", RegString(std::string("one\0two", 7), REG_MULTI_SZ_)},
        {"none", RegBinary(Bytes(3), REG_NONE_)},
        {"q\"n\\m", RegString("x")},
        {"qw", RegBinary(Bytes(8), REG_QWORD_)},
        {"str", RegString("a\"b\\c\r\nd")},
        {"t0x20000", RegBinary(Bytes(2), 0x20000)},
        {"\xD0\x96\xD1\x83\xD0\xBA", RegString("\xE4\xB8\xAD\xE6\x96\x87\xC3\xA9")},
    };
    for (const auto& [name, value] : values) reg.PutValue(HKCU, key, name, value);
    reg.PutValue(HKCU, key + "\\Sub\\Deeper", "", RegString("%TEMP%", REG_EXPAND_SZ_));
    reg.CreateKey(HKCU, key + "\\K[1]");
    reg.CreateKey(HKCU, key + "\\\xD0\x9A\xD0\xBB\xD1\x8E\xD1\x87");
}

// A value as stored; type 0xFFFF when the key or the value is absent.
RegValue Read(InMemoryRegistry& reg, RegKey hive, const std::string& key, const std::string& name) {
    RegValue value;
    ScopedRegKey opened(reg);
    if (opened.Open(hive, key, KEY_QUERY_VALUE_) != 0 ||
        reg.QueryValue(opened.Get(), name, 1 << 20, value) != 0)
        value.type = 0xFFFF;
    return value;
}

TEST(RegFile, ExportLaysOutEveryKindOfValueAsRegExportDoesAndReloads) {
    InMemoryRegistry reg;
    BuildGolden(reg);
    EXPECT_EQ(ExportRegFile(reg, HKCU, "Software\\Golden"), kGolden);
    // A trailing "\" is dropped; the spelling given is kept.
    EXPECT_EQ(ExportRegFile(reg, HKCU, "software\\golden\\sub\\"),
              Utf16File({kHeader, "", "[HKEY_CURRENT_USER\\software\\golden\\sub]", "",
                         "[HKEY_CURRENT_USER\\software\\golden\\sub\\Deeper]",
                         "@=hex(2):25,00,54,00,45,00,4d,00,50,00,25,00,00,00", ""}));
    // A whole hive; nothing for what is not there.
    reg.PutValue(HKCC, "Software\\Fonts", "LogPixels", RegDword(96));
    EXPECT_EQ(
        ExportRegFile(reg, HKCC, ""),
        Utf16File({kHeader, "", "[HKEY_CURRENT_CONFIG]", "", "[HKEY_CURRENT_CONFIG\\Software]", "",
                   "[HKEY_CURRENT_CONFIG\\Software\\Fonts]", "\"LogPixels\"=dword:00000060", ""}));
    EXPECT_EQ(ExportRegFile(reg, HKCU, "Software\\Absent"), "");
    EXPECT_EQ(ExportRegFile(reg, 0x80000004u, ""), "");

    InMemoryRegistry loaded;
    std::string error = "stale";
    ASSERT_TRUE(ImportRegFile(loaded, kGolden, error)) << error;
    EXPECT_EQ(error, "");
    EXPECT_EQ(ExportRegFile(loaded, HKCU, "Software\\Golden"), kGolden);
    EXPECT_EQ(Read(loaded, HKCU, "Software\\Golden", "MULTI").data, std::string("one\0two\0\0", 9));
    EXPECT_EQ(Read(loaded, HKCU, "Software\\Golden", "str").data, std::string("a\"b\\c\r\nd\0", 9));
    EXPECT_EQ(Read(loaded, HKCU, "Software\\Golden", "emptysz").size, 1u);
    EXPECT_EQ(Read(loaded, HKCU, "Software\\Golden", "dw0").size, 0u);
    // The key exists, its default value does not.
    EXPECT_EQ(Read(loaded, HKCU, "Software\\Golden\\\xD0\xBA\xD0\xBB\xD1\x8E\xD1\x87", "").type,
              0xFFFFu);
}

TEST(RegFile, ImportReadsEveryFormOfTheSyntax) {
    InMemoryRegistry reg;
    reg.PutValue(HKLM, "SOFTWARE\\Old", "gone", RegString("x"));
    reg.PutValue(HKLM, "SOFTWARE\\Keep", "gone", RegString("x"));
    reg.PutValue(HKLM, "SOFTWARE\\Keep", "stays", RegString("y"));
    reg.CreateKey(HKCU, "Software\\Classes\\.mine");
    const std::vector<std::string> lines = {
        "",
        "  Windows Registry Editor Version 5.00  ",
        "; a comment",
        "# another one",
        "[HKLM\\SOFTWARE\\New\\Deep]",
        "  @=\"default\"   ; after the value",
        "\"Hex\"=hex:01,02,\\",
        "   03 , 04,\\",
        "  ; not a comment line but a continuation ending here",
        "\"Dword\"=DWORD:0000002A",
        "\"Short\"=dword:7",
        "\"Link\"=hex(6):41,00",
        "\"Empty\"=hex(7):",
        "\"Esc\\\\aped\"=\"back\\\\slash \\\"quote\\\" \\t kept\"",
        "[hkey_local_machine\\SOFTWARE\\Keep] trailing text is ignored",
        "\"gone\"=-",
        "\"absent\"=-",
        "[-HKEY_LOCAL_MACHINE\\SOFTWARE\\Old]",
        "[-HKLM\\SOFTWARE\\NeverWas]",
        "[HKEY_CLASSES_ROOT\\.txt]",
        "@=\"txtfile\"",
        "[HKCR\\.mine\\]",
        "@=\"user\"",
        "[HKU\\.DEFAULT]",
        "[HKCC\\System]",
    };
    std::string error;
    ASSERT_TRUE(ImportRegFile(reg, Utf16File(lines), error)) << error;
    EXPECT_EQ(ExportRegFile(reg, HKLM, "SOFTWARE\\New"),
              Utf16File({kHeader, "", "[HKEY_LOCAL_MACHINE\\SOFTWARE\\New]", "",
                         "[HKEY_LOCAL_MACHINE\\SOFTWARE\\New\\Deep]", "@=\"default\"",
                         "\"Hex\"=hex:01,02,03,04", "\"Dword\"=dword:0000002a",
                         "\"Short\"=dword:00000007", "\"Link\"=hex(6):41,00", "\"Empty\"=hex(7):",
                         "\"Esc\\\\aped\"=\"back\\\\slash \\\"quote\\\" \\\\t kept\"", ""}));
    EXPECT_EQ(Read(reg, HKLM, "SOFTWARE\\Keep", "gone").type, 0xFFFFu);
    EXPECT_EQ(Read(reg, HKLM, "SOFTWARE\\Keep", "stays").data, std::string("y\0", 2));
    ScopedRegKey old(reg), users(reg), config(reg);
    EXPECT_EQ(old.Open(HKLM, "SOFTWARE\\Old", KEY_QUERY_VALUE_), 2);
    // Classes go through the merged view: machine classes, unless the user has the key.
    EXPECT_EQ(Read(reg, HKLM, "SOFTWARE\\Classes\\.txt", "").data, std::string("txtfile\0", 8));
    EXPECT_EQ(Read(reg, HKCU, "Software\\Classes\\.mine", "").data, std::string("user\0", 5));
    EXPECT_EQ(Read(reg, HKLM, "SOFTWARE\\Classes\\.mine", "").type, 0xFFFFu);
    EXPECT_EQ(users.Open(HKU, ".default", KEY_QUERY_VALUE_), 0);
    EXPECT_EQ(config.Open(HKCC, "SYSTEM", KEY_QUERY_VALUE_), 0);
}

TEST(RegFile, TextIsDecodedAsTheFileIsWritten) {
    // "café" in the strings, "%TEMP%\é" in the expandable ones.
    const std::string version5 =
        "[HKCU\\E]\r\n\"caf\xC3\xA9\"=\"caf\xC3\xA9\"\r\n"
        "\"x\"=hex(2):25,00,54,00,45,00,4d,00,50,00,25,00,5c,00,e9,00,00,00\r\n";
    const std::string ansi5 = text::Utf8ToAnsi(version5);
    const std::string regedit4 =
        "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\E]\r\n\"caf\xE9\"=\"caf\xE9\"\r\n\"x\"=hex(2):25,54,"
        "45,4d,50,25,5c,e9,00\r\n";
    const std::string cases[] = {
        Utf16File({kHeader, version5}),                // UTF-16LE with BOM
        "\xEF\xBB\xBF" + kHeader + "\r\n" + version5,  // UTF-8 with BOM
        kHeader + "\r\n" + ansi5,                      // Version 5.00 without BOM: ANSI
        regedit4,
        text::ReplaceAll(regedit4, "\r\n", "\n"),
        text::ReplaceAll(regedit4, "\r\n", "\r"),
    };
    for (const std::string& bytes : cases) {
        SCOPED_TRACE(&bytes - cases);
        InMemoryRegistry reg;
        std::string error;
        ASSERT_TRUE(ImportRegFile(reg, bytes, error)) << error;
        RegValue name = Read(reg, HKCU, "E", "CAF\xC3\x89");
        EXPECT_EQ(name.data, std::string("caf\xC3\xA9\0", 6));
        EXPECT_EQ(name.size, 5u);
        RegValue expand = Read(reg, HKCU, "E", "x");
        EXPECT_EQ(expand.type, REG_EXPAND_SZ_);
        EXPECT_EQ(expand.data, std::string("%TEMP%\\\xC3\xA9\0", 10));
        EXPECT_EQ(expand.size, 9u);
    }
}

TEST(RegFile, AMalformedFileChangesNothingAndNamesItsLine) {
    const std::string head = kHeader + "\r\n[HKCU\\Applied]\r\n\"v\"=\"1\"\r\n";  // lines 1 to 3
    const std::string notRegistry =
        "not a registry file: the first line must be \"Windows Registry Editor Version 5.00\" or "
        "\"REGEDIT4\"";
    const std::pair<std::string, std::string> cases[] = {
        {"", "line 1: the file is empty"},
        {"[HKCU\\x]\r\n", "line 1: " + notRegistry},
        {head + "[HKEY_LOCAL\\x]\r\n", "line 4: unknown registry hive \"HKEY_LOCAL\""},
        {head + "[HKCU\\x\r\n", "line 4: missing ']' at the end of the key"},
        {head + "[-HKLM]\r\n", "line 4: a whole hive cannot be deleted"},
        {kHeader + "\r\n\"v\"=\"1\"\r\n", "line 2: a value outside a key"},
        {head + "\"v\" \"1\"\r\n", "line 4: missing '=' after the value name"},
        {head + "\"v\"=\"1\r\n", "line 4: missing closing quote of the string"},
        {head + "\"v\"=\"1\" 2\r\n", "line 4: unexpected text after the value: \"2\""},
        {head + "\"v\"=dword:123456789\r\n", "line 4: a dword needs one to eight hex digits"},
        {head + "\"v\"=hex:01,\\\r\n  02,zz\r\n", "line 5: invalid hex byte \"zz\""},
        {head + "\"v\"=hex(x):01\r\n",
         "line 4: the type of hex(...) needs one to eight hex digits"},
        {head + "\"v\"=hex:01,\\\r\n", "line 4: the file ends inside a continued value"},
        {head + "\"v\"=str:abc\r\n", "line 4: unknown kind of value data: \"str:abc\""},
        {head + "v=1\r\n", "line 4: expected a key, a value or a comment"},
        {Utf16File({head}) + "x", "line 4: the file ends in half a UTF-16 character"},
        {"\xFE\xFF", "line 1: UTF-16 big-endian files are not supported"},
        {head + std::string("[HKCU\\a\0b]\r\n", 11), "line 4: a NUL character in a key name"},
        {head + "[HKCU" + Repeat("\\k", 513) + "]\r\n",
         "line 4: the key is nested 513 levels deep; Windows allows at most 512"},
    };
    for (const auto& [bytes, expected] : cases) {
        InMemoryRegistry reg;
        reg.PutValue(HKCU, "Existing", "v", RegString("0"));
        std::string error;
        EXPECT_FALSE(ImportRegFile(reg, bytes, error)) << expected;
        EXPECT_EQ(error, expected);
        EXPECT_EQ(reg.KeyCount(), 1u) << expected;
        EXPECT_EQ(Read(reg, HKCU, "Existing", "v").data, std::string("0\0", 2));
    }
}

TEST(RegFile, LoadRegFileNamesTheFile) {
    testing_support::ScratchFolder folder("regf");
    PortableFileSystem files;
    InMemoryRegistry reg;
    std::string error;
    EXPECT_FALSE(LoadRegFile(reg, files, folder.File("absent.reg"), error));
    EXPECT_EQ(error, folder.File("absent.reg") + ": the file cannot be read");
    testing_support::WriteBytes(folder.HostFile("bad.reg"), "REGEDIT4\r\n[HKXX]\r\n");
    EXPECT_FALSE(LoadRegFile(reg, files, folder.File("bad.reg"), error));
    EXPECT_EQ(error, folder.File("bad.reg") + ": line 2: unknown registry hive \"HKXX\"");
    // Keys as deep as Windows allows are read.
    testing_support::WriteBytes(folder.HostFile("deep.reg"),
                                kHeader + "\r\n[HKCU" + Repeat("\\k", 512) + "]\r\n");
    EXPECT_TRUE(LoadRegFile(reg, files, folder.File("deep.reg"), error)) << error;
    EXPECT_EQ(reg.KeyCount(), 512u);
}

}  // namespace
