// Whether a wineserver serves a prefix, from the lock it holds in its server folder.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

#include "platform/Text.h"
#include "platform/portable/HostPath.h"
#include "platform/portable/WinePrefixWriteBack.h"

namespace {

// The folder Debian's wineserver made for the prefix in the temporary folder, as the
// prefix's file "wineserver" names it ("wine-9TrYHv"); "" when there is none.
std::string DebianTempName(const std::string& prefix) {
    std::ifstream in(prefix + "/wineserver", std::ios::binary);
    std::ostringstream all;
    all << in.rdbuf();
    std::string name = text::Trim(all.str());
    if (name.empty() || name == "." || name == ".." || name.find('/') != std::string::npos ||
        name.find('\0') != std::string::npos)
        return "";
    return name;
}

std::vector<std::string> ServerRoots(const std::string& prefix) {
    const std::string uid = std::to_string(::getuid());
    std::vector<std::string> roots = {"/tmp/.wine-" + uid, "/run/user/" + uid + "/wine"};
    if (std::string name = DebianTempName(prefix); !name.empty()) {
        const char* tmp = std::getenv("TMPDIR");
        if (tmp && *tmp && std::string(tmp) != "/tmp")
            roots.push_back(std::string(tmp) + "/" + name);
        roots.push_back("/tmp/" + name);
    }
    return roots;
}

enum class Lock { kNone, kHeld, kUnknown };

// Whether another process holds a lock on the file; `why` says it when it cannot be told.
Lock LockState(const std::string& path, pid_t& owner, std::string& why) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) {
        if (errno == ENOENT || errno == ENOTDIR) return Lock::kNone;
        why = "cannot open " + path + ": " + std::strerror(errno);
        return Lock::kUnknown;
    }
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;  // the whole file: the server locks its first byte
    int status = ::fcntl(fd, F_GETLK, &lock);
    int saved = errno;
    ::close(fd);
    if (status != 0) {
        why = "cannot test the lock of " + path + ": " + std::strerror(saved);
        return Lock::kUnknown;
    }
    owner = lock.l_pid;
    return lock.l_type == F_UNLCK ? Lock::kNone : Lock::kHeld;
}

}  // namespace

bool WineServerRunning(const std::string& prefixGiven, std::string& detail) {
    const std::string prefix = hostpath::ToUtf8(hostpath::FromProgramPath(prefixGiven));
    struct stat st {};
    if (::stat(prefix.c_str(), &st) != 0) {
        detail =
            "no wineserver serves " + prefix + ": it cannot be read (" + std::strerror(errno) + ")";
        return false;
    }
    char folder[64];
    std::snprintf(folder, sizeof folder, "/server-%llx-%llx",
                  static_cast<unsigned long long>(st.st_dev),
                  static_cast<unsigned long long>(st.st_ino));
    std::string stale;
    for (const std::string& root : ServerRoots(prefix)) {
        const std::string dir = root + folder;
        pid_t owner = 0;
        std::string why;
        switch (LockState(dir + "/lock", owner, why)) {
            case Lock::kHeld:
                detail = "a wineserver" +
                         (owner > 0 ? " (process " + std::to_string(owner) + ")" : std::string()) +
                         " serves " + prefix + " from " + dir;
                return true;
            case Lock::kUnknown:
                detail = "a wineserver may serve " + prefix + ": " + why;
                return true;
            case Lock::kNone: {
                struct stat lockFile {};
                if (stale.empty() && ::lstat((dir + "/lock").c_str(), &lockFile) == 0) stale = dir;
                break;
            }
        }
    }
    detail = "no wineserver serves " + prefix +
             (stale.empty() ? std::string() : " (" + stale + " is left from one that stopped)");
    return false;
}
