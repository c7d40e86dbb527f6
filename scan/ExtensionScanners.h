#pragma once
// Scanners of file extensions that nothing uses any more: the per-user Explorer
// records and the registrations under HKEY_CLASSES_ROOT.
struct App;

// Lists the per-user Explorer FileExts records of extensions nothing uses any more.
void SR_FileExts(App& app);
// Lists the extensions registered under HKCR that nothing uses any more.
void SR_FileExtsHKCR(App& app);
