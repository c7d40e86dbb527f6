#pragma once
// The hand-off to the updater, DUzovoz.exe, a separate program in the application
// folder: the first start and the first scan's result are left to it as RunOnce entries
// (it runs once at the next logon), and "Update now" starts it at once.
#include <cstdint>

struct App;
class Shell;

// At the first start: "update_lustrant2" = "<folder>\DUzovoz.exe" /FIRSTRUN under
// HKLM RunOnce, then "wasfirstrun". Ends silently on a failure.
void RFirstRun(App& app);
// After the first scan: "update_lustrant3" = "<folder>\DUzovoz.exe" /FIRSTERRORS_<count>,
// "C" for a count of -1 (the scan was cancelled), then "wasfirstrun".
void RFirstErrors(App& app, int32_t count);
// "Update now": rewrites updatesetup.ini without its "last_version=" lines (any letter
// case, CR LF line ends) and starts DUzovoz.exe minimized. True when it started: the
// Options dialog and the main window then close. A failure stops at its step and is
// reported under "frmOptions.btnUpdate.Click"; the program stays open.
bool UpdateNow(App& app, Shell& shell);
