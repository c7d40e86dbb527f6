// A Wine prefix is written back from Linux only: from Windows (or under Wine itself)
// neither its files' owners nor its wineserver's lock can be seen.
#include "platform/portable/WinePrefixWriteBack.h"

namespace {
const char kLinuxOnly[] =
    "writing a repair back into a Wine prefix needs the Linux build of brivolex-cli";
}

bool WriteBackWinePrefix(Registry&, const std::string&, const std::string&,
                         std::vector<std::string>&, std::string& error) {
    error = kLinuxOnly;
    return false;
}

bool WineServerRunning(const std::string&, std::string& detail) {
    detail = std::string("cannot tell whether a wineserver serves the prefix: ") + kLinuxOnly;
    return true;
}
