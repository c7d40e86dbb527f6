#pragma once
// The scanner of files in temporary folders that have not been used for over a year.
#include <string>

#include "platform/DateTime.h"

struct App;

// SFFOF, "scan folder for old files": lists files below the folder unused for over a year.
void ScanFolderForOldFiles(App& app, const std::string& folder);
// The file's last-access date and time; the zero date when it cannot be read.
DateTime GetDateLastAccessed(App& app, const std::string& path);
// The same, false (and the failure reported) when it cannot be read.
bool ReadDateLastAccessed(App& app, const std::string& path, DateTime& accessed);
// More than 365 days between the two dates, times ignored.
bool IsOlderThanAYear(const DateTime& lastAccess, const DateTime& today);
