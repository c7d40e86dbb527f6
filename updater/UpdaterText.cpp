#include "updater/UpdaterText.h"

#include <windows.h>

#include <cwctype>

std::wstring FromAnsi(const std::string& bytes) {
    if (bytes.empty()) return L"";
    int n =
        MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring text(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(), n);
    return text;
}

namespace {

std::string ToAnsi(const std::wstring& text) {
    if (text.empty()) return "";
    int n = WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                nullptr, nullptr);
    std::string bytes(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), bytes.data(), n,
                        nullptr, nullptr);
    return bytes;
}

bool ReadBytes(const std::wstring& path, std::string& bytes) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    bytes.clear();
    char buffer[65536];
    DWORD got = 0;
    bool ok = true;
    while ((ok = ReadFile(file, buffer, sizeof buffer, &got, nullptr)) && got > 0)
        bytes.append(buffer, got);
    CloseHandle(file);
    return ok;
}

bool WriteBytes(const std::wstring& path, const std::string& bytes, bool append) {
    HANDLE file =
        CreateFileW(path.c_str(), append ? FILE_APPEND_DATA : GENERIC_WRITE, FILE_SHARE_READ,
                    nullptr, append ? OPEN_ALWAYS : CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    bool ok = bytes.empty() ||
              (WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
               written == bytes.size());
    CloseHandle(file);
    return ok;
}

}  // namespace

std::wstring Widen(const std::string& ascii) {
    return std::wstring(ascii.begin(), ascii.end());
}

bool ReadAnsiFile(const std::wstring& path, std::wstring& text) {
    std::string bytes;
    if (!ReadBytes(path, bytes)) return false;
    text = FromAnsi(bytes);
    return true;
}

bool WriteAnsiFile(const std::wstring& path, const std::wstring& text) {
    return WriteBytes(path, ToAnsi(text), false);
}

std::vector<std::wstring> Lines(const std::wstring& text) {
    std::vector<std::wstring> lines;
    std::wstring line;
    for (size_t i = 0; i < text.size(); ++i) {
        wchar_t c = text[i];
        if (c != L'\r' && c != L'\n') {
            line += c;
            continue;
        }
        if (c == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n') ++i;
        lines.push_back(line);
        line.clear();
    }
    if (!line.empty()) lines.push_back(line);
    return lines;
}

std::wstring Trim(const std::wstring& s) {
    size_t first = s.find_first_not_of(L" \t");
    if (first == std::wstring::npos) return L"";
    return s.substr(first, s.find_last_not_of(L" \t") - first + 1);
}

std::wstring Lower(std::wstring s) {
    for (wchar_t& c : s) c = static_cast<wchar_t>(std::towlower(c));
    return s;
}

bool KeyValue(const std::wstring& line, const std::wstring& key, std::wstring& value) {
    size_t equals = line.find(L'=');
    if (equals == std::wstring::npos || Lower(Trim(line.substr(0, equals))) != Lower(key))
        return false;
    value = Trim(line.substr(equals + 1));
    return true;
}

void WriteUpdateLog(UpdaterApp& app, const std::wstring& text) {
    SYSTEMTIME now;
    GetLocalTime(&now);
    wchar_t stamp[32];
    wsprintfW(stamp, L"%04u-%02u-%02u %02u:%02u:%02u ", now.wYear, now.wMonth, now.wDay, now.wHour,
              now.wMinute, now.wSecond);
    WriteBytes(app.File(L"update.log"), ToAnsi(stamp + text + L"\r\n"), true);
}

bool ParseVersion(const std::wstring& text, Version& version) {
    version = {0, 0, 0, 0};
    std::wstring t = Trim(text);
    size_t part = 0, at = 0;
    while (true) {
        size_t end = t.find(L'.', at);
        std::wstring number =
            t.substr(at, end == std::wstring::npos ? std::wstring::npos : end - at);
        if (number.empty() || number.size() > 9 || part >= 4) return false;
        for (wchar_t c : number)
            if (c < L'0' || c > L'9') return false;
        version[part++] = std::wcstoul(number.c_str(), nullptr, 10);
        if (end == std::wstring::npos) return true;
        at = end + 1;
    }
}

std::wstring VersionText(const Version& v) {
    return std::to_wstring(v[0]) + L"." + std::to_wstring(v[1]) + L"." + std::to_wstring(v[2]) +
           L"." + std::to_wstring(v[3]);
}

Version FileVersion(const std::wstring& path) {
    Version version{0, 0, 0, 0};
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
    if (size == 0) return version;
    std::string data(size, '\0');
    if (!GetFileVersionInfoW(path.c_str(), 0, size, data.data())) return version;
    VS_FIXEDFILEINFO* info = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&info), &length) || !info)
        return version;
    version = {HIWORD(info->dwFileVersionMS), LOWORD(info->dwFileVersionMS),
               HIWORD(info->dwFileVersionLS), LOWORD(info->dwFileVersionLS)};
    return version;
}
