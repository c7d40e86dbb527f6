#pragma once
// The updater's text files: ANSI key=value files (updatesetup.ini, latest.ini), its log
// update.log, and version numbers.
#include <array>
#include <string>
#include <vector>

// The updater's view of the application folder.
struct UpdaterApp {
    std::wstring folder;    // without a trailing separator
    std::wstring language;  // "language" of setup.ini's [Main], default "eng"
    std::wstring File(const std::wstring& name) const { return folder + L"\\" + name; }
};

// Appends "<yyyy-mm-dd hh:mm:ss> <text>" and CR LF to update.log.
void WriteUpdateLog(UpdaterApp& app, const std::wstring& text);

// Whole text files in the ANSI code page; false when the file cannot be read.
bool ReadAnsiFile(const std::wstring& path, std::wstring& text);
bool WriteAnsiFile(const std::wstring& path, const std::wstring& text);
// The lines of a text (ended by CR LF, CR or LF).
std::vector<std::wstring> Lines(const std::wstring& text);
std::wstring Trim(const std::wstring& s);
std::wstring Lower(std::wstring s);
// For a "key=value" line whose key is `key` (any letter case, blanks around it): the
// value without surrounding blanks.
bool KeyValue(const std::wstring& line, const std::wstring& key, std::wstring& value);

// Up to four dot-separated numbers; missing parts are 0.
using Version = std::array<unsigned long, 4>;
bool ParseVersion(const std::wstring& text, Version& version);
std::wstring VersionText(const Version& version);
// The file version resource of a program; 0.0.0.0 when it has none.
Version FileVersion(const std::wstring& path);

// Narrow (ASCII) to wide.
std::wstring Widen(const std::string& ascii);
std::wstring FromAnsi(const std::string& bytes);
