#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "platform/Profile.h"

// The Windows profile functions. What a read returns is kept, per file, while the
// file's stamp (whether it exists, its size, its creation and last-write times) stays
// as it was: the next read of the same key asks the file system for the stamp only,
// instead of having Windows open and read the file again. Results are only kept for
// a file whose last write lies further back than the coarsest time stamps a file
// system keeps (FAT: 2 s), so that a change to the file always gives another stamp;
// a file changed more recently is read by Windows at every call. A write through this
// object forgets what was kept for its file.
class Win32Profile : public Profile {
public:
    std::string GetString(const std::string& section, const std::string& key,
                          const std::string& defaultValue, const std::string& path,
                          uint32_t capacity) override;
    int32_t WriteString(const std::string& section, const std::string& key,
                        const std::string& value, const std::string& path) override;

    struct Stamp {
        bool exists = false;
        uint64_t size = 0;
        uint64_t created = 0, written = 0;  // file times
        bool operator==(const Stamp&) const = default;
    };

private:
    using Question = std::tuple<std::string, std::string, std::string, uint32_t>;
    struct Kept {
        std::string path;
        Stamp stamp;
        std::map<Question, std::string> answers;
    };
    std::string Ask(const std::string& section, const std::string& key,
                    const std::string& defaultValue, const std::string& path, uint32_t capacity);
    Kept* Find(const std::string& path);
    void Forget(const std::string& path);

    std::vector<Kept> kept_;  // a few files
};
