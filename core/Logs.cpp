#include "core/Logs.h"

#include "core/App.h"

void WriteLog(App& app, std::string_view text) {
    app.os.files.AppendLine(app.AppFile("app.log"), std::string(text));
}

void ClearTrace(App& app) { app.os.files.CreateEmpty(app.AppFile("app2.log")); }

void WriteTrace(App& app, std::string_view text) {
    app.os.files.AppendLine(app.AppFile("app2.log"), std::string(text));
}

void WriteProblemLog(App& app, std::string_view text) {
    DateTime now = app.os.clock.Now();
    std::string line = app.os.locale.ShortDate(now) + " " + app.os.locale.LongTime(now) + ": ";
    line += text;
    app.os.files.AppendLine(app.AppFile("app3.log"), line);
}

void ReportError(App& app, std::string_view procedure, int32_t number,
                 std::string_view description) {
    std::string line = "Error in ";
    line += procedure;
    line += ", error " + std::to_string(number) + ", ";
    line += description;
    WriteLog(app, line);
}

void ReportError(App& app, std::string_view procedure, const ErrInfo& error) {
    ReportError(app, procedure, error.number, error.description);
}

namespace {
std::string RegistryErrorHiveName(RegKey hive) {
    switch (hive) {
        case HKCR: return "HKCR";
        case HKCU: return "HKCU";
        case HKLM: return "HKLM";
        case HKU: return "HKU";
        case HKCC: return "HKCC";
        default: return std::to_string(static_cast<int32_t>(hive));
    }
}
}  // namespace

void LogRegistryError(App& app, std::string_view operation, RegKey hive, std::string_view keyPath,
                      int32_t code) {
    std::string line;
    try {
        line = std::string(operation) + " for " + RegistryErrorHiveName(hive) + "\\" +
               std::string(keyPath) + " failed with error: (" + std::to_string(code) + ") " +
               GetSystemErrorText(app, code);
    } catch (...) {
        return;  // the line cannot be built: give up without a line
    }
    WriteTrace(app, line);
}

std::string GetSystemErrorText(App& app, int32_t code) {
    if (code < -32768 || code > 32767) throw RuntimeError(kErrOverflow);
    // The 16-bit code widens with its sign, as the classic runtime passes it on.
    uint32_t asDword = static_cast<uint32_t>(static_cast<int32_t>(static_cast<int16_t>(code)));
    std::string message = app.os.system.FormatSystemMessage(asDword, 200);
    if (message.empty()) return "";
    // System messages end in CR LF: drop the last character only.
    while (!message.empty() && (static_cast<unsigned char>(message.back()) & 0xC0) == 0x80)
        message.pop_back();
    if (!message.empty()) message.pop_back();
    return message;
}
