#pragma once
// The machine-wide Run-key entry that starts the program with "/SCHEDULED" at every
// logon; the start-up then decides whether a scan is due.
struct App;

// Writes the entry when enabled, removes it otherwise. Without the rights to write
// HKEY_LOCAL_MACHINE nothing changes; the registry writes log the failure.
void SetAutomaticalRun(App& app, bool enable);
