#include "ui/SaveResults.h"

#include "core/App.h"
#include "core/Language.h"
#include "core/Logs.h"
#include "platform/Shell.h"
#include "problems/clsItem.h"

std::vector<std::string> ReportLines(App& app) {
    std::string title = GetLangString(app, "saveresults_title", "");
    std::vector<std::string> lines = {
        "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.0 Transitional//EN\"><html><head><title>" +
            title + "</title></head><body>",
        "<h1>" + title + "</h1>",
        "",
    };
    // Texts are written as they are: the report does not escape HTML characters.
    for (const ProblemRef& problem : app.Problems) {
        lines.push_back("<p>");
        lines.push_back("<strong>" + problem->pStatusName(app) + ": " + problem->pName() +
                        "</strong><br />");
        lines.push_back(problem->pDescription);
        lines.push_back("</p>");
        lines.push_back("<hr />");
        lines.push_back("");
    }
    lines.push_back("</body></html>");
    return lines;
}

void SaveResults(App& app, const std::string& fileName) { SaveResults(app, app.os.files, fileName); }

void SaveResults(App& app, FileSystem& files, const std::string& fileName) {
    WriteTrace(app, "SaveResults");
    // A report that cannot be written shows no message: the trace says why.
    const char* const failed = "SaveResults: the report could not be written to ";
    try {
        std::string content;
        for (const std::string& line : ReportLines(app)) content += line + "\r\n";
        if (!files.WriteAnsiText(fileName, content)) WriteTrace(app, failed + fileName);
    } catch (...) {
        ErrInfo error = CurrentError();
        WriteTrace(app, failed + fileName + ", error " + std::to_string(error.number) + ", " +
                            error.description);
    }
}

void SaveResultsCommand(App& app, Shell& shell) {
    try {
        WriteTrace(app, "Form1.btnSaveResults_Click");
        SaveFileRequest request;
        request.filterName = GetLangString(app, "saveresults_html", "HTML files (*.htm)");
        request.filterPattern = "*.htm";
        request.defaultExtension = "htm";
        request.initialFolder = app.AppFolder;
        request.flags = kOfnOverwritePrompt | kOfnPathMustExist;
        std::string fileName;
        if (!shell.ChooseSaveFile(request, fileName)) return;
        SaveResults(app, fileName);
        WriteTrace(app, "Results saved to " + fileName);
        shell.OpenDocument(fileName);
    } catch (...) {
        // Without a message, as the report itself.
    }
}
