#pragma once
// What the program asks the operating system about itself and its folders.
#include <cstdint>
#include <string>

struct OsVersionInfo {
    uint32_t major = 0;
    uint32_t minor = 0;
    uint32_t build = 0;
    uint32_t platformId = 0;  // 1 Windows 9x, 2 Windows NT
};

// The four 16-bit parts of a file version resource.
struct FileVersionParts {
    uint16_t major = 0;
    uint16_t minor = 0;
    uint16_t build = 0;
    uint16_t revision = 0;
};

class SystemInfo {
public:
    virtual ~SystemInfo() = default;

    // FormatMessage(FROM_SYSTEM) of a code into a buffer of `capacity` characters: the
    // characters stored (system texts end in CR LF), or "" when there is no text.
    virtual std::string FormatSystemMessage(uint32_t code, uint32_t capacity) = 0;
    // GetVersionEx; false when the call fails.
    virtual bool GetVersion(OsVersionInfo& version) = 0;

    // The folders Windows names; "" when the call fails.
    virtual std::string SystemDirectory() = 0;
    virtual std::string WindowsDirectory() = 0;
    virtual std::string TempPath() = 0;  // ends with "\"
    virtual std::string ProgramFilesDirectory() = 0;

    // GetLongPathName / GetShortPathName with a buffer of `capacity` characters: the
    // count copied (without NUL), the count needed when it does not fit, 0 on failure.
    virtual uint32_t LongPathName(const std::string& path, uint32_t capacity,
                                  std::string& result) = 0;
    virtual uint32_t ShortPathName(const std::string& path, uint32_t capacity,
                                   std::string& result) = 0;

    // The fixed file version of a file's version resource. `resourceSize` is what
    // GetFileVersionInfoSize gives (0: no file or no resource); the result is false
    // when the resource has no root block.
    virtual bool FileVersion(const std::string& path, uint32_t& resourceSize,
                             FileVersionParts& version) = 0;
    // The program's own version, as its executable's version resource holds it.
    virtual FileVersionParts ProgramVersion() = 0;
};
