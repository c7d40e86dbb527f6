#include "platform/portable/PortableSystemInfo.h"

#include <map>

#include "platform/Text.h"

namespace {

// The English texts Windows gives for the codes the program meets.
const std::map<uint32_t, const char*>& SystemMessages() {
    static const std::map<uint32_t, const char*> messages = {
        {0, "The operation completed successfully."},
        {1, "Incorrect function."},
        {2, "The system cannot find the file specified."},
        {3, "The system cannot find the path specified."},
        {4, "The system cannot open the file."},
        {5, "Access is denied."},
        {6, "The handle is invalid."},
        {8, "Not enough memory resources are available to process this command."},
        {13, "The data is invalid."},
        {15, "The system cannot find the drive specified."},
        {18, "There are no more files."},
        {21, "The device is not ready."},
        {32, "The process cannot access the file because it is being used by another process."},
        {53, "The network path was not found."},
        {87, "The parameter is incorrect."},
        {122, "The data area passed to a system call is too small."},
        {123, "The filename, directory name, or volume label syntax is incorrect."},
        {161, "The specified path is invalid."},
        {183, "Cannot create a file when that file already exists."},
        {206, "The filename or extension is too long."},
        {234, "More data is available."},
        {259, "No more data is available."},
        {1010, "The configuration registry key is invalid."},
        {1011, "The configuration registry key could not be opened."},
        {1012, "The configuration registry key could not be read."},
        {1013, "The configuration registry key could not be written."},
        {1018, "Illegal operation attempted on a registry key that has been marked for deletion."},
        {1020, "Cannot create a symbolic link in a registry key that already has subkeys or values."},
    };
    return messages;
}

const char kCurrentVersion[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
const char kNtCurrentVersion[] = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
const char kSystemEnvironment[] =
    "SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment";
const char kVolatileEnvironment[] = "Volatile Environment";

// The digits at the start of a text, as a number (0 when there are none).
uint32_t ParseUnsigned(const std::string& text) {
    uint32_t n = 0;
    for (char c : text) {
        if (c < '0' || c > '9' || n > 99999999) break;
        n = n * 10 + static_cast<uint32_t>(c - '0');
    }
    return n;
}

// "major.minor[.build]" into the version; false without a major and minor number.
bool ParseDottedVersion(const std::string& text, OsVersionInfo& version) {
    size_t dot = text.find('.');
    if (dot == std::string::npos || dot == 0 || dot + 1 >= text.size()) return false;
    if (text[0] < '0' || text[0] > '9' || text[dot + 1] < '0' || text[dot + 1] > '9') return false;
    version.major = ParseUnsigned(text);
    version.minor = ParseUnsigned(text.substr(dot + 1));
    size_t second = text.find('.', dot + 1);
    if (second != std::string::npos) version.build = ParseUnsigned(text.substr(second + 1));
    return true;
}

uint32_t CopyOut(const std::string& text, uint32_t capacity, std::string& result) {
    uint32_t length = static_cast<uint32_t>(text::Utf8ToUtf16(text).size());
    if (length + 1 > capacity) return length + 1;
    result = text;
    return length;
}

}  // namespace

std::string PortableSystemInfo::FormatSystemMessage(uint32_t code, uint32_t capacity) {
    auto it = SystemMessages().find(code);
    if (it == SystemMessages().end()) return "";
    std::string message = std::string(it->second) + "\r\n";
    if (message.size() + 1 > capacity) return "";
    return message;
}

bool PortableSystemInfo::GetVersion(OsVersionInfo& version) {
    // Windows NT and later keep their version under Windows NT\CurrentVersion; from
    // Windows 10 on the text stays "6.3" and the true numbers are DWORD values beside it.
    std::string nt = ReadString(HKLM, kNtCurrentVersion, "CurrentVersion");
    if (!nt.empty()) {
        OsVersionInfo v;
        if (!ParseDottedVersion(nt, v)) return false;
        v.platformId = 2;
        ReadDword(HKLM, kNtCurrentVersion, "CurrentMajorVersionNumber", v.major);
        ReadDword(HKLM, kNtCurrentVersion, "CurrentMinorVersionNumber", v.minor);
        v.build = ParseUnsigned(ReadString(HKLM, kNtCurrentVersion, "CurrentBuildNumber"));
        version = v;
        return true;
    }
    // Windows 95, 98 and ME: "4.10.2222" under Windows\CurrentVersion.
    std::string nine = ReadString(HKLM, kCurrentVersion, "VersionNumber");
    OsVersionInfo v;
    if (nine.empty() || !ParseDottedVersion(nine, v)) return false;
    v.platformId = 1;
    version = v;
    return true;
}

std::string PortableSystemInfo::ReadString(RegKey hive, const std::string& key,
                                           const std::string& name) {
    if (name.empty()) return "";  // never the key's default value
    ScopedRegKey opened(registry_);
    if (opened.Open(hive, key, KEY_QUERY_VALUE_) != kRegSuccess) return "";
    RegValue value;
    if (registry_.QueryValue(opened.Get(), name, 32767, value) != kRegSuccess) return "";
    if (!IsStringType(value.type)) return "";
    std::string data = value.data;
    size_t nul = data.find('\0');
    if (nul != std::string::npos) data.resize(nul);
    return data;
}

void PortableSystemInfo::ReadDword(RegKey hive, const std::string& key, const std::string& name,
                                   uint32_t& number) {
    ScopedRegKey opened(registry_);
    if (opened.Open(hive, key, KEY_QUERY_VALUE_) != kRegSuccess) return;
    RegValue value;
    if (registry_.QueryValue(opened.Get(), name, 4, value) != kRegSuccess) return;
    if (value.type != REG_DWORD_ || value.data.size() != 4) return;
    number = 0;
    for (int i = 3; i >= 0; --i) number = number << 8 | static_cast<unsigned char>(value.data[i]);
}

std::string PortableSystemInfo::EnvironmentVariable(const std::string& name) {
    // A user's environment is put together from the system's variables, then the
    // user's, then the logon session's, each overriding the one before: look back.
    std::string value = ReadString(HKCU, kVolatileEnvironment, name);
    if (value.empty()) value = ReadString(HKCU, "Environment", name);
    if (value.empty()) value = ReadString(HKLM, kSystemEnvironment, name);
    if (value.empty() && (text::EqualsNoCase(name, "SystemRoot") || text::EqualsNoCase(name, "windir")))
        value = WindowsDirectory();
    return value;
}

std::string PortableSystemInfo::ExpandEnvironment(const std::string& input) {
    return Expand(input, 0);
}

std::string PortableSystemInfo::Expand(const std::string& input, int depth) {
    // Variables that name each other in a circle stop here instead of recursing forever.
    constexpr int kMaxNesting = 8;
    std::string out;
    size_t pos = 0;
    while (pos < input.size()) {
        size_t open = input.find('%', pos);
        size_t close = open == std::string::npos ? std::string::npos : input.find('%', open + 1);
        if (close == std::string::npos) {
            out += input.substr(pos);
            break;
        }
        out += input.substr(pos, open - pos);
        std::string name = input.substr(open + 1, close - open - 1);
        std::string value = depth < kMaxNesting ? EnvironmentVariable(name) : std::string();
        if (value.empty()) {
            // An unknown name stays as written; its closing "%" may open the next one.
            out += input.substr(open, close - open);
            pos = close;
            continue;
        }
        out += Expand(value, depth + 1);
        pos = close + 1;
    }
    return out;
}

std::string PortableSystemInfo::WindowsDirectory() {
    std::string folder = ReadString(HKLM, kNtCurrentVersion, "SystemRoot");
    return folder.empty() ? "C:\\Windows" : folder;
}

std::string PortableSystemInfo::SystemDirectory() { return WindowsDirectory() + "\\system32"; }

std::string PortableSystemInfo::ProgramFilesDirectory() {
    std::string folder = ReadString(HKLM, kCurrentVersion, "ProgramFilesDir");
    return folder.empty() ? "C:\\Program Files" : folder;
}

std::string PortableSystemInfo::TempPath() {
    // As GetTempPath looks: TMP first, then TEMP.
    std::string temp = ExpandEnvironment(EnvironmentVariable("TMP"));
    if (temp.empty()) temp = ExpandEnvironment(EnvironmentVariable("TEMP"));
    if (temp.empty()) temp = WindowsDirectory() + "\\Temp";
    if (temp.back() != '\\') temp += '\\';
    return temp;
}

uint32_t PortableSystemInfo::LongPathName(const std::string& path, uint32_t capacity,
                                          std::string& result) {
    // An image has no 8.3 names: a path that exists is its own long form.
    uint32_t attributes = 0;
    if (!files_.GetAttributes(path, attributes)) return 0;
    return CopyOut(path, capacity, result);
}

uint32_t PortableSystemInfo::ShortPathName(const std::string& path, uint32_t capacity,
                                           std::string& result) {
    return LongPathName(path, capacity, result);
}

bool PortableSystemInfo::FileVersion(const std::string&, uint32_t& resourceSize,
                                     FileVersionParts&) {
    resourceSize = 0;
    return false;
}

FileVersionParts PortableSystemInfo::ProgramVersion() {
    return FileVersionParts{BRIVOLEX_VERSION_MAJOR, BRIVOLEX_VERSION_MINOR, BRIVOLEX_VERSION_PATCH,
                            BRIVOLEX_VERSION_TWEAK};
}
