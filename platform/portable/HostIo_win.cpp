#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

#include "platform/portable/HostIo.h"

bool HostOpensForReading(const std::filesystem::path& path) {
    int fd = ::_wopen(path.c_str(), _O_RDONLY | _O_BINARY);
    if (fd < 0) return false;
    ::_close(fd);
    return true;
}

bool HostAppend(const std::filesystem::path& path, std::string_view bytes) {
    int fd =
        ::_wopen(path.c_str(), _O_WRONLY | _O_APPEND | _O_CREAT | _O_BINARY, _S_IREAD | _S_IWRITE);
    if (fd < 0) return false;
    bool ok = true;
    while (!bytes.empty()) {
        unsigned chunk =
            bytes.size() > 0x40000000u ? 0x40000000u : static_cast<unsigned>(bytes.size());
        int n = ::_write(fd, bytes.data(), chunk);
        if (n <= 0) {
            ok = false;
            break;
        }
        bytes.remove_prefix(static_cast<size_t>(n));
    }
    return ::_close(fd) == 0 && ok;
}
