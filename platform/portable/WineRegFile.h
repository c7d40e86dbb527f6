#pragma once
// The registry files of a Wine prefix (system.reg, user.reg, userdef.reg), in Wine's
// own text format:
//   WINE REGISTRY Version 2
//   ;; All keys relative to REGISTRY\\Machine
//   #arch=win64
//   [Software\\Classes\\.txt] 1796530728
//   #time=1dd8538e40cb7ba
//   @="txtfile"
//   "Name"=str(2):"%SystemRoot%\\system32"      (also str:, str(7):, dword:, hex:, hex(N):)
// Key names and strings use C escapes (\\ \" \n \t \0 octal, \x hex up to four digits);
// other bytes are UTF-8. Strings of the "..." forms get their terminating NUL back;
// hex(1), hex(2) and hex(7) hold UTF-16LE exactly as stored. A key marked "#link" is
// a symbolic link whose target is its SymbolicLinkValue.
#include <string>
#include <string_view>
#include <vector>

#include "platform/Registry.h"
#include "platform/portable/InMemoryRegistry.h"

struct WineRegLink {
    std::string path;    // below the hive the file was read into
    std::string target;  // as Wine stores it: \REGISTRY\Machine\... or \REGISTRY\User\SID\...
};

struct WineRegFileInfo {
    // The header comment's root: "REGISTRY\Machine", "REGISTRY\User\S-1-5-21-...".
    std::string relativeTo;
    std::vector<WineRegLink> links;
};

// A file's keys as it holds them, with where each sits in its text (byte offsets), for
// editing the text in place.
struct WineRegFileValue {
    std::string name;
    RegValue value;
    size_t begin = 0, end = 0;  // its line(s), continued ones and the line end included
};
struct WineRegFileKey {
    std::string path;  // below the file's root
    bool link = false;
    std::string linkTarget;  // the SymbolicLinkValue of a link, which `values` lacks
    std::vector<WineRegFileValue> values;
    // From the end of the last line before its "[...]" line that is not blank, to the
    // end of its own last line that is not blank: removing that leaves the blank line
    // between the keys around it.
    size_t begin = 0, end = 0;
};
// False with an error naming the line ("line 12: ...") when the file is malformed.
bool ParseWineRegFile(std::string_view bytes, std::vector<WineRegFileKey>& keys,
                      WineRegFileInfo& info, std::string& error);

// Reads a whole file into hive\below (below may be ""). The file is read to its end
// before anything changes: a malformed one changes nothing and gives false with an
// error naming the line ("line 12: ...").
bool ImportWineRegFile(InMemoryRegistry& registry, RegKey hive, const std::string& below,
                       const std::string& bytes, WineRegFileInfo& info, std::string& error);

// Makes the links of the files read usable offline: each link key gets a copy of its
// target's subtree (in place of its SymbolicLinkValue), except the link the in-memory
// registry already follows (HKLM\SOFTWARE\WOW6432Node\Classes) and links whose target
// is missing or contains the link. `userSid` is the SID user.reg was read for (its
// keys are HKCU).
void ResolveWineLinks(InMemoryRegistry& registry, RegKey hive,
                      const std::vector<WineRegLink>& links, const std::string& userSid);

// Copies the values and subkeys of fromHive\from into toHive\to.
void CopyRegistryTree(InMemoryRegistry& registry, RegKey fromHive, const std::string& from,
                      RegKey toHive, const std::string& to);
