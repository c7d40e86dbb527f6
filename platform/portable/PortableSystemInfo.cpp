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

bool PortableSystemInfo::GetVersion(OsVersionInfo&) { return false; }

std::string PortableSystemInfo::ReadString(RegKey hive, const std::string& key,
                                           const std::string& name) {
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

std::string PortableSystemInfo::ExpandEnvironment(const std::string& input) {
    std::string out;
    size_t pos = 0;
    while (pos < input.size()) {
        size_t open = input.find('%', pos);
        size_t close = open == std::string::npos ? std::string::npos : input.find('%', open + 1);
        if (close == std::string::npos) {
            out += input.substr(pos);
            break;
        }
        std::string name = input.substr(open + 1, close - open - 1);
        std::string value = ReadString(HKCU, "Environment", name);
        if (value.empty()) value = ReadString(HKLM, kSystemEnvironment, name);
        if (value.empty() && (text::EqualsNoCase(name, "SystemRoot") || text::EqualsNoCase(name, "windir")))
            value = WindowsDirectory();
        out += input.substr(pos, open - pos);
        if (value.empty()) {
            out += input.substr(open, close - open + 1);
        } else {
            out += ExpandEnvironment(value);
        }
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
    std::string temp = ExpandEnvironment(ReadString(HKCU, "Environment", "TEMP"));
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
