#pragma once
// INI files read and written as the Windows profile functions do, for worlds without
// them. Files are read as ANSI (Windows-1252) unless they start with a UTF-8 or UTF-16
// byte-order mark, and written back in the encoding they were read in.
//
// As the Windows profile functions do, a file's parsed lines are kept and used again
// while the file's stamp (size, time stamps, identity) is unchanged, so that a text
// looked up for every item of a scan does not read and parse the file every time. A
// change to the file is seen by the next read: a file changed shortly before it was
// read (within the time stamps' resolution) is not kept but read again every time.
#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/Profile.h"

struct ProfileLines;  // the parsed lines of one file

class PortableProfile : public Profile {
public:
    explicit PortableProfile(FileSystem& files) : files_(files) {}
    ~PortableProfile() override;
    std::string GetString(const std::string& section, const std::string& key,
                          const std::string& defaultValue, const std::string& path,
                          uint32_t capacity) override;
    int32_t WriteString(const std::string& section, const std::string& key,
                        const std::string& value, const std::string& path) override;

    // How long a file must have been left alone before it was read for its lines to be
    // kept: longer than the coarsest time stamps a file system keeps (FAT: 2 s).
    static constexpr std::chrono::milliseconds kSettleTime{2500};

private:
    struct Kept {
        std::string path;
        FileStamp stamp;
        std::shared_ptr<const ProfileLines> lines;
    };
    // The file's lines, kept or read now; null when the file cannot be read.
    std::shared_ptr<const ProfileLines> Load(const std::string& path);
    void Forget(const std::string& path);

    FileSystem& files_;
    std::vector<Kept> kept_;  // a few files, the one used last at the end
};
