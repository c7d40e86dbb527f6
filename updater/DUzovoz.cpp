// DUzovoz.exe, the updater: a program of its own beside Brivolex.exe.
//   /FIRSTRUN, /FIRSTERRORS_<n> or /FIRSTERRORS_C: records the call in update.log.
//   no arguments ("Update now"): installs a newer version from the update source that
//   updatesetup.ini names, then starts the new Brivolex.exe.
#include <windows.h>

#include "platform/win32/CommandLine.h"
#include "updater/Install.h"
#include "updater/Language.h"
#include "updater/UpdaterText.h"

namespace {

constexpr unsigned long kExitWaitMs = 60000;

std::wstring ProgramFolder() {
    wchar_t path[32768] = {};
    DWORD n = GetModuleFileNameW(nullptr, path, 32768);
    std::wstring p(path, n);
    return p.substr(0, p.find_last_of(L'\\'));
}

// The command line's argument text, without the program path.
std::wstring Arguments() { return Trim(win::ArgumentsOf(GetCommandLineW())); }

bool IsFirstErrors(const std::wstring& upper) {
    const std::wstring prefix = L"/FIRSTERRORS_";
    if (!upper.starts_with(prefix) || upper.size() == prefix.size()) return false;
    std::wstring result = upper.substr(prefix.size());
    if (result == L"C") return true;
    for (wchar_t c : result)
        if (c < L'0' || c > L'9') return false;
    return true;
}

void Box(UpdaterApp& app, const std::wstring& text, UINT icon) {
    MessageBoxW(nullptr, text.c_str(),
                GetLangString(app, "updater_title", "Brivolex update").c_str(), MB_OK | icon);
}

// A failed update: one log line and one message box; exit status 1.
int Fail(UpdaterApp& app, const std::wstring& message, const std::wstring& detail) {
    WriteUpdateLog(app, L"Update failed: " + detail);
    Box(app, message + L"\r\n\r\n" + detail, MB_ICONERROR);
    return 1;
}

struct Settings {
    std::wstring source;
    Version lastVersion{};
    bool haveLastVersion = false;
};

bool ReadSettings(UpdaterApp& app, Settings& settings, std::wstring& text) {
    if (!ReadAnsiFile(app.File(L"updatesetup.ini"), text)) return false;
    for (const std::wstring& line : Lines(text)) {
        std::wstring value;
        if (KeyValue(line, L"update_source", value)) settings.source = value;
        if (KeyValue(line, L"last_version", value))
            settings.haveLastVersion = ParseVersion(value, settings.lastVersion);
    }
    while (settings.source.size() > 3 && settings.source.back() == L'\\')
        settings.source.pop_back();
    return true;
}

// updatesetup.ini with "last_version=" set to `version`, every other line kept.
bool StoreLastVersion(UpdaterApp& app, const std::wstring& text, const Version& version) {
    std::wstring out;
    for (const std::wstring& line : Lines(text)) {
        std::wstring ignored;
        if (!KeyValue(line, L"last_version", ignored)) out += line + L"\r\n";
    }
    out += L"last_version=" + VersionText(version) + L"\r\n";
    return WriteAnsiFile(app.File(L"updatesetup.ini"), out);
}

bool StartProgram(UpdaterApp& app, const std::wstring& name) {
    std::wstring command = L"\"" + app.File(name) + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        app.folder.c_str(), &startup, &info))
        return false;
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    return true;
}

int Update(UpdaterApp& app) {
    Settings settings;
    std::wstring settingsText;
    if (!ReadSettings(app, settings, settingsText))
        return Fail(app,
                    GetLangString(app, "updater_nosettings", "The update settings cannot be read."),
                    app.File(L"updatesetup.ini") + L" cannot be read");
    if (settings.source.empty())
        return Fail(app,
                    GetLangString(app, "updater_nosettings", "The update settings cannot be read."),
                    L"updatesetup.ini names no update_source");

    LatestIni latest;
    std::wstring error;
    if (!ReadLatestIni(settings.source, latest, error))
        return Fail(app,
                    GetLangString(app, "updater_nosource", "The update source cannot be read."),
                    error);

    const std::wstring program = app.File(L"Brivolex.exe");
    Version installed = FileVersion(program);
    WriteUpdateLog(app, L"Update: " + settings.source + L" offers " + VersionText(latest.version) +
                            L", installed " + VersionText(installed));
    if (latest.version <= installed ||
        (settings.haveLastVersion && latest.version <= settings.lastVersion)) {
        WriteUpdateLog(app, L"Update: up to date");
        Box(app,
            GetLangString(app, "updater_uptodate", "Brivolex is up to date.") + L" (" +
                VersionText(installed) + L")",
            MB_ICONINFORMATION);
        return 0;
    }

    std::vector<SourceFile> files;
    for (const SourceFile& file : latest.files) {
        if (IsKeptFile(file.name)) {
            WriteUpdateLog(app, L"Update: kept " + file.name);
        } else {
            files.push_back(file);
        }
    }
    std::wstring failed;
    bool mismatch = false;
    if (!StageFiles(app, settings.source, files, failed, mismatch)) {
        if (mismatch)
            return Fail(app,
                        GetLangString(app, "updater_damaged",
                                      "A file of the update is damaged. Nothing was changed."),
                        L"SHA-256 of " + failed + L" does not match latest.ini");
        return Fail(app,
                    GetLangString(app, "updater_notcopied",
                                  "The update could not be copied. Nothing was changed."),
                    settings.source + L"\\" + failed + L" cannot be copied");
    }
    if (!WaitForProgramExit(program, kExitWaitMs)) {
        RemoveStaging(app);
        return Fail(app,
                    GetLangString(app, "updater_stillrunning",
                                  "Brivolex is still running. Please close it and try again."),
                    program + L" is still running");
    }
    if (!InstallStagedFiles(app, files, failed)) {
        RemoveStaging(app);
        return Fail(app,
                    GetLangString(app, "updater_notinstalled",
                                  "The update could not be installed. Nothing was changed."),
                    app.File(failed) + L" cannot be replaced");
    }
    RemoveStaging(app);
    if (!StoreLastVersion(app, settingsText, latest.version))
        WriteUpdateLog(app, L"Update: updatesetup.ini cannot be written");
    WriteUpdateLog(app, L"Update: installed " + VersionText(latest.version) + L", " +
                            std::to_wstring(files.size()) + L" files");
    if (!StartProgram(app, L"Brivolex.exe"))
        return Fail(app,
                    GetLangString(app, "updater_notstarted",
                                  "The new version was installed but could not be started."),
                    program + L" cannot be started");
    return 0;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    UpdaterApp app;
    app.folder = ProgramFolder();
    ReadLanguage(app);
    std::wstring arguments = Arguments();
    std::wstring upper = arguments;
    CharUpperBuffW(upper.data(), static_cast<DWORD>(upper.size()));
    if (arguments.empty()) return Update(app);
    if (upper == L"/FIRSTRUN" || IsFirstErrors(upper)) {
        // The install and first-scan pings: with no network of its own, the updater
        // records them.
        WriteUpdateLog(app, upper);
        return 0;
    }
    WriteUpdateLog(app, L"Unknown arguments: " + arguments);
    return 2;
}
