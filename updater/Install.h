#pragma once
// Installing a new version from an update source: the files of latest.ini are copied to
// a staging folder and checked against their SHA-256, then renamed over the old ones;
// a failure half-way renames the old ones back.
#include <string>
#include <vector>

#include "updater/UpdaterText.h"

struct SourceFile {
    std::wstring name;    // relative to the source and the application folder
    std::wstring sha256;  // 64 lower-case hex digits
};

struct LatestIni {
    Version version{};
    std::vector<SourceFile> files;
};

// Reads <source>\latest.ini: "version=" and one "file=<sha256> <name>" line per file.
// False, with the reason in `error`, when it cannot be read or is not well formed.
bool ReadLatestIni(const std::wstring& source, LatestIni& latest, std::wstring& error);

// The user's own files, which an update never replaces: setup.ini, updatesetup.ini, the
// logs, backup\ and languages\_missing.txt.
bool IsKeptFile(const std::wstring& name);

// Copies the files into the staging folder and checks each copy's SHA-256. False, with
// the file's name in `failed` and the staging folder removed, on the first file that
// cannot be copied (`mismatch` false) or does not match (`mismatch` true).
bool StageFiles(UpdaterApp& app, const std::wstring& source, const std::vector<SourceFile>& files,
                std::wstring& failed, bool& mismatch);
// Renames the staged files over the application folder's. False, with every file as it
// was before and the file's name in `failed`, when one cannot be renamed.
bool InstallStagedFiles(UpdaterApp& app, const std::vector<SourceFile>& files,
                        std::wstring& failed);
// Removes the staging folders.
void RemoveStaging(UpdaterApp& app);

// Waits up to `timeoutMs` until no process runs the program file `path`; false when
// one still does.
bool WaitForProgramExit(const std::wstring& path, unsigned long timeoutMs);
