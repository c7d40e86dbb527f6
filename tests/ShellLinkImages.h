#pragma once
// Hand-built shell link files, field by field, in the forms Windows XP, Windows 7,
// Windows 10 and Wine write: for tests of the reader that do not go through the
// program's own writer.
#include <cstdint>
#include <string>
#include <vector>

namespace link_images {

// Header LinkFlags.
constexpr uint32_t kIdList = 0x1;
constexpr uint32_t kLinkInfo = 0x2;
constexpr uint32_t kName = 0x4;
constexpr uint32_t kRelativePath = 0x8;
constexpr uint32_t kWorkingDir = 0x10;
constexpr uint32_t kArguments = 0x20;
constexpr uint32_t kIconLocation = 0x40;
constexpr uint32_t kUnicode = 0x80;
constexpr uint32_t kForceNoLinkInfo = 0x100;
constexpr uint32_t kExpString = 0x200;
constexpr uint32_t kDarwinId = 0x1000;

std::string Header(uint32_t flags, int32_t iconIndex = 0, uint32_t showCommand = 1,
                   uint16_t hotKey = 0);

// Items of an ID list.
std::string MyComputer();
std::string NetworkRoot();
std::string ControlPanelRoot();
std::string Drive(const std::string& root, uint8_t type = 0x2F);  // root "C:\"
std::string NetworkShare(const std::string& unc);                 // "\\server\share"
enum class Form { WindowsXp, Windows7, Windows10, Wine, ShortNameOnly, UnicodePrimary };
std::string FileEntry(Form form, const std::string& shortName, const std::string& longName,
                      bool isFolder);
// An ID list: its size, the items and the terminator.
std::string IdList(const std::vector<std::string>& items);

struct LocalPart {
    std::string ansiPath;       // bytes as stored (ANSI)
    std::string unicodePath{};  // UTF-8; "" for no Unicode forms
    uint32_t driveType = 3;
};
struct NetworkPart {
    std::string netName;         // bytes as stored (ANSI)
    std::string unicodeNetName;  // UTF-8; "" for no Unicode forms
    std::string deviceName;      // "" for none
};
// A LinkInfo structure with the parts given; the suffix in ANSI bytes.
std::string LinkInfo(const LocalPart* local, const NetworkPart* network, const std::string& suffix);

// StringData entries.
std::string UnicodeString(const std::string& utf8);
std::string AnsiString(const std::string& ansiBytes);

// ExtraData.
std::string Block(uint32_t signature, const std::string& payload);
std::string EnvironmentBlock(const std::string& ansiTarget, const std::string& unicodeTarget);
std::string Terminal();

}  // namespace link_images
