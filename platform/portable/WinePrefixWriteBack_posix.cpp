// Writing a Wine prefix's edited registry files: every file is read and edited before
// anything is written, every backup made before any file is replaced, and each file
// replaced by a rename, so that a failure leaves each file whole, old or new.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstring>

#include "platform/portable/HostPath.h"
#include "platform/portable/WinePrefixWriteBack.h"
#include "platform/portable/WineRegFileEdit.h"

namespace {

class Fd {
  public:
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd() {
        if (fd_ >= 0) ::close(fd_);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }
    // Closes it, reporting a failed close (a write the system could not finish).
    bool Close() {
        int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0;
    }

  private:
    int fd_;
};

std::string Failure(const std::string& what, const std::string& path) {
    return "cannot " + what + " " + path + ": " + std::strerror(errno);
}

struct PrefixFile {
    PrefixFile(const char* n, RegKey h, const char* b, bool need)
        : name(n), hive(h), below(b), needed(need) {}
    const char* name;
    RegKey hive;
    const char* below;
    bool needed;
    std::string path;
    struct stat st {};
    std::string bytes, edited;
    std::string backup;
};

bool ReadFile(PrefixFile& file, bool& missing, std::string& error) {
    Fd fd(::open(file.path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW));
    missing = fd.get() < 0 && errno == ENOENT && !file.needed;
    if (missing) return true;
    if (fd.get() < 0 || ::fstat(fd.get(), &file.st) != 0) {
        error = Failure("read", file.path);
        return false;
    }
    if (!S_ISREG(file.st.st_mode)) {
        error = file.path + " is not a plain file";
        return false;
    }
    char buffer[65536];
    for (;;) {
        ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            error = Failure("read", file.path);
            return false;
        }
        if (n == 0) return true;
        file.bytes.append(buffer, static_cast<size_t>(n));
    }
}

bool WriteAll(int fd, const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

// Gives a file written for `like` its owner (Wine must go on writing it when it runs
// as that user) and mode, then writes and flushes `bytes` to it.
bool Fill(int fd, const struct stat& like, const std::string& bytes) {
    if ((like.st_uid != ::geteuid() || like.st_gid != ::getegid()) &&
        ::fchown(fd, like.st_uid, like.st_gid) != 0)
        return false;
    return ::fchmod(fd, like.st_mode & 07777) == 0 && WriteAll(fd, bytes) && ::fsync(fd) == 0;
}

bool WriteBackup(const PrefixFile& file, std::string& error) {
    Fd fd(::open(file.backup.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
    if (fd.get() < 0) {
        error = errno == EEXIST ? "the backup " + file.backup + " exists already: nothing written"
                                : Failure("write", file.backup);
        return false;
    }
    if (!Fill(fd.get(), file.st, file.bytes) || !fd.Close()) {
        error = Failure("write", file.backup);
        ::unlink(file.backup.c_str());
        return false;
    }
    return true;
}

bool Replace(const PrefixFile& file, std::string& error) {
    std::string temp = file.path + ".brivolex-XXXXXX";
    Fd fd(::mkostemp(temp.data(), O_CLOEXEC));
    if (fd.get() < 0) {
        error = Failure("write a new", file.path);
        return false;
    }
    if (!Fill(fd.get(), file.st, file.edited) || !fd.Close() ||
        ::rename(temp.c_str(), file.path.c_str()) != 0) {
        error = Failure("write", file.path);
        ::unlink(temp.c_str());
        return false;
    }
    return true;
}

bool ValidStamp(const std::string& stamp) {
    if (stamp.empty() || stamp == "." || stamp == "..") return false;
    for (char c : stamp)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '-' && c != '_' && c != '.')
            return false;
    return true;
}

bool ServerStopped(const std::string& prefix, std::string& error) {
    std::string detail;
    if (!WineServerRunning(prefix, detail)) return true;
    error =
        detail + ": nothing written (stop it first with: WINEPREFIX=" + prefix + " wineserver -k)";
    return false;
}

}  // namespace

bool WriteBackWinePrefix(Registry& repaired, const std::string& prefixGiven,
                         const std::string& stamp, std::vector<std::string>& changedFiles,
                         std::string& error) {
    const std::string prefix = hostpath::ToUtf8(hostpath::FromProgramPath(prefixGiven));
    if (!ValidStamp(stamp)) {
        error = "the backup stamp \"" + stamp + "\" may hold only letters, digits, '-', '_', '.'";
        return false;
    }
    if (!ServerStopped(prefix, error)) return false;
    PrefixFile files[] = {{"system.reg", HKLM, "", true},
                          {"user.reg", HKCU, "", true},
                          {"userdef.reg", HKU, ".DEFAULT", false}};
    std::vector<PrefixFile*> changed;
    for (PrefixFile& file : files) {
        file.path = prefix + "/" + file.name;
        file.backup = file.path + ".brivolex-" + stamp + ".bak";
        bool missing = false;
        if (!ReadFile(file, missing, error)) return false;
        if (missing) continue;
        if (!EditWineRegFile(file.bytes, repaired, file.hive, file.below, file.edited, error)) {
            error = file.path + ": " + error;
            return false;
        }
        if (file.edited != file.bytes) changed.push_back(&file);
    }
    if (changed.empty()) return true;
    for (PrefixFile* file : changed) {
        struct stat st {};
        if (::lstat(file->backup.c_str(), &st) == 0) {
            error = "the backup " + file->backup + " exists already: nothing written";
            return false;
        }
    }
    // Wine reads the files when its server starts and writes them when it stops.
    if (!ServerStopped(prefix, error)) return false;
    for (size_t i = 0; i < changed.size(); ++i) {
        if (WriteBackup(*changed[i], error)) continue;
        for (size_t k = 0; k < i; ++k) ::unlink(changed[k]->backup.c_str());
        return false;
    }
    for (size_t i = 0; i < changed.size(); ++i) {
        if (!Replace(*changed[i], error)) {
            if (i > 0) error += " (the files before it are written)";
            return false;
        }
        changedFiles.push_back(changed[i]->path);
    }
    Fd folder(::open(prefix.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.get() >= 0) ::fsync(folder.get());  // the renames themselves
    return true;
}
