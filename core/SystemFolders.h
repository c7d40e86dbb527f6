#pragma once
// Special, system, temporary, Windows and Program Files folders, path forms, and the
// Windows and file versions, as start-up records them.
#include <cstdint>
#include <string>

struct App;

std::string GetSpecialFolder(App& app, const std::string& valueName);
std::string GetSpecialFolderAllusers(App& app, const std::string& valueName);
std::string LongPathName(App& app, const std::string& path);
std::string ShortPathName(App& app, const std::string& path);
// GWSF, "get Windows system folder": asks the system for its system folder.
void GWSF(App& app);                   // sets SystemFolder
// GWF, "get Windows folder": asks the system for its temporary and Windows folders.
void GWF(App& app);                    // sets TempFolder, then WindowsFolder
void GetProgramFilesFolder(App& app);  // sets ProgramFilesFolder
int32_t GetInternalWindowsVersion(App& app);
std::string GetWindowsVersionName(int32_t version);
std::string FileVersionNo(App& app, const std::string& path);
void LogFileVersion(App& app, const std::string& fileName);
