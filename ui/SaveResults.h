#pragma once
// The problem list as a simple HTML report.
#include <string>
#include <vector>

struct App;

// The report's lines, in order, without their line ends.
std::vector<std::string> ReportLines(App& app);
// Writes the report (ANSI text, CR LF line ends) to `fileName`.
void SaveResults(App& app, const std::string& fileName);
