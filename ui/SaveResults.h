#pragma once
// The problem list as a simple HTML report.
#include <string>
#include <vector>

struct App;
class FileSystem;

// The report's lines, in order, without their line ends.
std::vector<std::string> ReportLines(App& app);
// Writes the report (ANSI text, CR LF line ends) to `fileName`.
void SaveResults(App& app, const std::string& fileName);
// The same, into a file of the given file system.
void SaveResults(App& app, FileSystem& files, const std::string& fileName);
