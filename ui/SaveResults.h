#pragma once
// The problem list as a simple HTML report.
#include <string>
#include <vector>

struct App;
class FileSystem;
class Shell;

// The report's lines, in order, without their line ends.
std::vector<std::string> ReportLines(App& app);
// Writes the report (ANSI text, CR LF line ends) to `fileName`. A report that cannot be
// written leaves "SaveResults: the report could not be written to <fileName>" in the
// trace and shows no message.
void SaveResults(App& app, const std::string& fileName);
// The same, into a file of the given file system.
void SaveResults(App& app, FileSystem& files, const std::string& fileName);

// The "Save results..." button: asks for an HTML file (the application folder first,
// "htm" added to a name without extension, an existing file only after a question),
// writes the report there and asks the shell to open it. Cancelling does nothing; a
// failure ends the command without a message.
void SaveResultsCommand(App& app, Shell& shell);
