#include "tests/TestSupport.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <nlohmann/json.hpp>
#include <sstream>

#include "platform/Text.h"
#include "platform/portable/PortableClock.h"
#include "tests/contract/HostFiles.h"

#ifndef _WIN32
#include <sys/wait.h>
#endif

namespace fs = std::filesystem;

namespace testing_support {

ScratchFolder::ScratchFolder(const std::string& tag) {
    static std::atomic<int> counter{0};
    auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    fs::path dir = fs::temp_directory_path() / ("brivolex-" + tag + "-" + std::to_string(stamp) +
                                                "-" + std::to_string(counter++));
    fs::create_directories(dir);
    path_ = hostpath::ToUtf8(dir);
}

ScratchFolder::~ScratchFolder() {
    std::error_code ec;
    // Give back write permission first, so that read-only test folders can go.
    for (auto it = fs::recursive_directory_iterator(host(), ec); !ec && it != fs::end(it);
         it.increment(ec))
        fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
    fs::permissions(host(), fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(host(), ec);
}

std::string ReadBytes(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteBytes(const fs::path& file, const std::string& bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

bool Exists(const fs::path& file) {
    std::error_code ec;
    return fs::exists(file, ec);
}

std::vector<std::string> ReadLines(const fs::path& file) {
    std::string content = text::AnsiToUtf8(ReadBytes(file));
    std::vector<std::string> lines;
    for (size_t pos = 0, end; pos < content.size(); pos = end + 2) {
        end = std::min(content.find("\r\n", pos), content.size());
        lines.push_back(content.substr(pos, end - pos));
    }
    return lines;
}

void PutWindowsVersion(InMemoryRegistry& registry, const std::string& version) {
    registry.PutValue(HKLM, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", "CurrentVersion",
                      RegString(version));
}

void PutAll(InMemoryRegistry& registry, const std::vector<RegEntry>& entries) {
    for (const RegEntry& e : entries)
        registry.PutValue(e.hive, e.key, e.name, RegString(e.data, e.type));
}

std::string SourcePath(const std::string& relative) {
    std::string path = std::string(BRIVOLEX_SOURCE_DIR) + "/" + relative;
#ifdef _WIN32
    for (char& c : path)
        if (c == '/') c = '\\';
#endif
    return path;
}

CommandResult RunBuiltProgram(const std::string& program, const std::vector<std::string>& args) {
#ifdef _WIN32
    std::string command = "\"" + std::string(BRIVOLEX_PROGRAM_DIR) + "\\" + program + ".exe\"";
#else
    std::string command = "\"" + std::string(BRIVOLEX_PROGRAM_DIR) + "/" + program + "\"";
#endif
    for (const std::string& arg : args) command += " \"" + arg + "\"";
    CommandResult result;
#ifdef _WIN32
    // cmd.exe strips the outer quotes of the whole line.
    std::u16string wide = text::Utf8ToUtf16("\"" + command + "\"");
    FILE* pipe = _wpopen(reinterpret_cast<const wchar_t*>(wide.c_str()), L"rb");
#else
    FILE* pipe = popen(command.c_str(), "r");
#endif
    if (!pipe) return result;
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) result.output.append(buffer, n);
#ifdef _WIN32
    result.status = _pclose(pipe);
#else
    int raw = pclose(pipe);
    result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
#endif
    return result;
}

std::string JsonField(const std::string& line, const std::string& key) {
    // A problem line of the scan's list ends with the comma that separates it.
    size_t open = line.find('{'), close = line.rfind('}');
    if (open == std::string::npos || close == std::string::npos) return "<not JSON>";
    auto object = nlohmann::json::parse(line.substr(open, close - open + 1), nullptr, false);
    if (object.is_discarded()) return "<not JSON>";
    if (!object.contains(key)) return "<missing>";
    return object[key].is_string() ? object[key].get<std::string>() : object[key].dump();
}

std::string PrepareSampleMachine(const ScratchFolder& folder) {
    fs::path source = hostpath::FromUtf8(SourcePath("sample"));
    for (const char* drive : {"C", "D"})
        fs::copy(source / drive, folder.host() / drive, fs::copy_options::recursive);

    DateTime now = HostClock().Now();
    std::istringstream list(ReadBytes(source / "last-access.txt"));
    for (std::string line; std::getline(list, line);) {
        if (line.empty() || line[0] == '#') continue;
        std::vector<std::string> columns;
        std::istringstream fields(line);
        for (std::string column; std::getline(fields, column, '\t');) columns.push_back(column);
        std::string path = folder.File("C\\" + text::ReplaceAll(columns.at(0), "/", "\\"));
        DateTime accessed = DateTime::FromDaySerial(now.DaySerial() - std::stoi(columns.at(1)));
        accessed.hour = 12;
        contract::SetHostAccessTime(path, accessed);
        if (columns.size() > 2)
            contract::SetHostDosBits(path, columns[2] == "system" ? kAttrSystem : kAttrHidden);
    }
    return folder.File("C");
}

}  // namespace testing_support
