#pragma once
// The problem list as a simple HTML report.
#include <string>
#include <vector>

struct App;
class FileSystem;

// The report's lines, in order, without their line ends.
std::vector<std::string> ReportLines(App& app);
// Writes the report (ANSI text, CR LF line ends) to `fileName`. A report that cannot be
// written leaves "SaveResults: the report could not be written to <fileName>" in the
// trace and shows no message.
void SaveResults(App& app, const std::string& fileName);
// The same, into a file of the given file system.
void SaveResults(App& app, FileSystem& files, const std::string& fileName);
