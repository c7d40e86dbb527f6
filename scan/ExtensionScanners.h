#pragma once
// Scanners of file extensions that nothing uses any more: the per-user Explorer
// records and the registrations under HKEY_CLASSES_ROOT.
struct App;

void SR_FileExts(App& app);
void SR_FileExtsHKCR(App& app);
