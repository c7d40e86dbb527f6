// Wine's registry files: every value form Wine writes comes back as Wine keeps it, links
// become copies of their targets, and a malformed file changes nothing and names its line.
#include <gtest/gtest.h>

#include "platform/portable/InMemoryRegistry.h"
#include "platform/portable/WineRegFile.h"

namespace {

RegValue Query(InMemoryRegistry& registry, RegKey hive, const std::string& path,
               const std::string& name) {
    ScopedRegKey key(registry);
    RegValue value;
    value.type = 0xDEAD;
    if (key.Open(hive, path, KEY_QUERY_VALUE_) == kRegSuccess)
        registry.QueryValue(key.Get(), name, 1 << 20, value);
    return value;
}

TEST(WineRegFile, ReadsEveryFormWineWrites) {
    const std::string file =
        "WINE REGISTRY Version 2\r\n"
        ";; All keys relative to REGISTRY\\\\User\\\\S-1-5-21-0-0-0-1000\n"
        "\n#arch=win64\n\n"
        "[Software\\\\Forms\\\\K\\xe4y \\]x] 1796530730\n"
        "#time=1dd8538e5973218\n"
        "#class=\"none\"\n"
        "@=\"default\"\n"
        "\"sz\"=\"C:\\\\a \\\"b\\\"\\t\\x20ac\"\n"
        "\"str\"=str:\"s\"\n"
        "\"expand\"=str(2):\"%SystemRoot%\\\\x\"\n"
        "\"multi\"=str(7):\"a\\0b\\0\"\n"
        "\"utf8 K\xc3\xb6rper\"=\"\xe6\x97\xa5\"\n"
        "\"octal\"=\"\\101\\0012\"\n"
        "\"dword\"=dword:0000002a\n"
        "\"binary\"=hex:01,02,\\\n  03\n"
        "\"odd\"=hex(ffff0012):aa\n"
        "\"unterminated\"=hex(1):41,00,42,00\n"
        "\"name \\\"with\\\" \\\\\"=\"\"\n"
        "\n[Software\\\\Target\\\\Sub] 1\n\"t\"=dword:00000001\n"
        "\n[Software\\\\Link] 1\n#link\n"
        "\"SymbolicLinkValue\"=hex(6):5c,00,52,00,45,00,47,00,49,00,53,00,54,00,52,00,59,00,5c,00,"
        "55,00,73,00,65,\\\n"
        "  "
        "00,72,00,5c,00,53,00,2d,00,31,00,2d,00,35,00,2d,00,32,00,31,00,2d,00,30,00,2d,00,30,00,2d,"
        "00,30,00,2d,\\\n"
        "  "
        "00,31,00,30,00,30,00,30,00,5c,00,53,00,6f,00,66,00,74,00,77,00,61,00,72,00,65,00,5c,00,54,"
        "00,61,00,72,\\\n"
        "  00,67,00,65,00,74,00\n";
    InMemoryRegistry registry;
    WineRegFileInfo info;
    std::string error;
    ASSERT_TRUE(ImportWineRegFile(registry, HKCU, "", file, info, error)) << error;
    EXPECT_EQ(info.relativeTo, "REGISTRY\\User\\S-1-5-21-0-0-0-1000");
    ResolveWineLinks(registry, HKCU, info.links, "S-1-5-21-0-0-0-1000");

    const std::string key = "Software\\Forms\\K\xc3\xa4y ]x";
    struct Expected {
        std::string name;
        uint32_t type;
        std::string data;
        uint32_t size;
    } expected[] = {
        {"", REG_SZ_, std::string("default\0", 8), 8},
        {"sz", REG_SZ_, std::string("C:\\a \"b\"\t\xe2\x82\xac\0", 13), 11},
        {"str", REG_SZ_, std::string("s\0", 2), 2},
        {"expand", REG_EXPAND_SZ_, std::string("%SystemRoot%\\x\0", 15), 15},
        {"multi", REG_MULTI_SZ_, std::string("a\0b\0\0", 5), 5},
        {"utf8 K\xc3\xb6rper", REG_SZ_, std::string("\xe6\x97\xa5\0", 4), 2},
        {"octal", REG_SZ_, std::string("A\0012\0", 4), 4},
        {"dword", REG_DWORD_, std::string("\x2a\0\0\0", 4), 4},
        {"binary", REG_BINARY_, "\x01\x02\x03", 3},
        {"odd", 0xFFFF0012u, "\xaa", 1},
        {"unterminated", REG_SZ_, "AB", 2},
        {"name \"with\" \\", REG_SZ_, std::string("\0", 1), 1},
    };
    for (const Expected& e : expected) {
        RegValue got = Query(registry, HKCU, key, e.name);
        EXPECT_EQ(got.type, e.type) << e.name;
        EXPECT_EQ(got.data, e.data) << e.name;
        EXPECT_EQ(got.size, e.size) << e.name;
    }
    // The link is a copy of its target, without its link value.
    EXPECT_EQ(Query(registry, HKCU, "Software\\Link\\Sub", "t").type,
              static_cast<uint32_t>(REG_DWORD_));
    EXPECT_EQ(Query(registry, HKCU, "Software\\Link", "SymbolicLinkValue").type, 0xDEADu);
}

TEST(WineRegFile, AMalformedFileChangesNothingAndNamesItsLine) {
    const std::string header = "WINE REGISTRY Version 2\n[Software\\\\K] 1\n\"ok\"=\"1\"\n";
    const std::pair<std::string, std::string> cases[] = {
        {"REGEDIT4\n", "line 1: not a Wine registry file"},
        {header + "\"v\"=hex:0g\n", "line 4: invalid hex data"},
        {header + "\"v\"=hex:01,\\\n", "line 4: the file ends inside a continued value"},
        {header + "\"v\"=\"open\n", "line 4: missing closing quote of the string"},
        {header + "\"v\"=dword:\n", "line 4: a dword needs one to eight hex digits"},
        {header + "\"v\"=str(9):\"x\"\n", "line 4: unknown kind of value data"},
        {header + "[Software\\\\\\\\Empty] 1\n", "line 4: empty key name"},
        {header + "[Software\\\\K 1\n", "line 4: missing ']'"},
        {header + "garbage\n", "line 4: expected a key, a value or a comment"},
        {"WINE REGISTRY Version 2\n\"v\"=\"1\"\n", "line 2: a value outside a key"},
    };
    for (const auto& [file, message] : cases) {
        InMemoryRegistry registry;
        WineRegFileInfo info;
        std::string error;
        EXPECT_FALSE(ImportWineRegFile(registry, HKLM, "", file, info, error)) << message;
        EXPECT_EQ(error.substr(0, message.size()), message);
        EXPECT_EQ(registry.KeyCount(), 0u) << message;
    }
}

}  // namespace
