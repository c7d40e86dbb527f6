#include "core/Updater.h"

#include <string>
#include <vector>

#include "core/App.h"
#include "core/Errors.h"
#include "core/Logs.h"
#include "core/Options.h"
#include "platform/Shell.h"
#include "platform/Text.h"
#include "repair/RegistryWrite.h"

namespace {

constexpr char kRunOnceKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
constexpr char kUpdater[] = "DUzovoz.exe";

// The updater, quoted, followed by its argument: the command Windows runs at logon.
std::string UpdaterCommand(App& app, const std::string& argument) {
    return "\"" + app.AppFile(kUpdater) + "\" " + argument;
}

// The lines of a text, each ended by CR LF or a lone CR; a lone LF stays in its line.
std::vector<std::string> SplitLines(const std::string& bytes) {
    std::vector<std::string> lines;
    std::string line;
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] != '\r') {
            line += bytes[i];
            continue;
        }
        if (i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
        lines.push_back(std::move(line));
        line.clear();
    }
    if (!line.empty()) lines.push_back(std::move(line));
    return lines;
}

bool IsVersionLine(const std::string& line) {
    return text::ToLower(line.substr(0, 13)) == "last_version=";
}

}  // namespace

void RFirstRun(App& app) {
    try {
        WriteTrace(app, "RFirstRun");
        ChangeRegistryValue(app, HKLM, kRunOnceKey, "update_lustrant2",
                            UpdaterCommand(app, "/FIRSTRUN"));
        SaveOptionB(app, "wasfirstrun", true);
    } catch (...) {
        // Silent: a failed registry write is logged where it happens.
    }
}

void RFirstErrors(App& app, int32_t count) {
    try {
        WriteTrace(app, "RFirstErrors");
        std::string result = count == -1 ? "C" : std::to_string(count);
        ChangeRegistryValue(app, HKLM, kRunOnceKey, "update_lustrant3",
                            UpdaterCommand(app, "/FIRSTERRORS_" + result));
        SaveOptionB(app, "wasfirstrun", true);
    } catch (...) {
        // Silent: a failed registry write is logged where it happens.
    }
}

bool UpdateNow(App& app, Shell& shell) {
    try {
        WriteTrace(app, "frmOptions.btnUpdate.Click");
        const std::string settings = app.AppFile("updatesetup.ini");
        std::string bytes;
        if (!app.os.files.ReadFile(settings, bytes)) throw RuntimeError(kErrFileNotFound);
        std::string kept;
        for (const std::string& line : SplitLines(bytes))
            if (!IsVersionLine(line)) kept += line + "\r\n";
        if (!app.os.files.WriteFile(settings, kept)) throw RuntimeError(kErrPathFileAccess);
        // No quotes: the updater's path as it stands.
        if (!shell.StartProgram(app.AppFile(kUpdater), kSwShowMinimized))
            throw RuntimeError(kErrFileNotFound);
        return true;
    } catch (...) {
        ReportError(app, "frmOptions.btnUpdate.Click", CurrentError());
        return false;
    }
}
