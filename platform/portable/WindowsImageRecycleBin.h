#pragma once
// The Recycle Bin of an offline Windows image, kept as Windows 10 and 11 keep it, so
// that that Windows lists what was deleted and can put it back: a file or folder of the
// image moves to <drive>:\$Recycle.Bin\<SID>\ on its own drive as $R + six random
// letters or digits + its extension, beside a $I file of the same name saying where it
// was, how large it is and when it was deleted.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <random>
#include <string>

#include "platform/RecycleBin.h"
#include "platform/portable/PortableFileSystem.h"

// The current time as a FILETIME: 100-nanosecond steps since 1601-01-01, UTC.
int64_t FileTimeNow();

// A $I file, version 2: version, size, deletion time (FILETIME), the length of the path
// in UTF-16 units with its terminating NUL, the path in UTF-16LE with the NUL.
std::string RecycleBinInfo(const std::string& originalPath, uint64_t size, int64_t deletedAt);

class WindowsImageRecycleBin : public RecycleBin {
  public:
    // `sid` names the user whose bin takes the files (see FindProfileSid); `now` gives
    // the deletion times and `seed` the random names.
    WindowsImageRecycleBin(PortableFileSystem& image, std::string sid,
                           std::function<int64_t()> now = FileTimeNow,
                           uint32_t seed = std::random_device{}());
    // `path` is a full path of the image ("C:\Users\ann\x.txt").
    bool Recycle(const std::string& path) override;

  private:
    std::string OriginalPath(const std::string& path, const std::filesystem::path& host) const;
    std::string RandomName();

    PortableFileSystem& image_;
    std::string sid_;
    std::function<int64_t()> now_;
    std::mt19937 random_;
};
