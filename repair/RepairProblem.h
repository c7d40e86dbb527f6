#pragma once
// Curing one problem: repairProblem points its reference at the moved file, deleteProblem
// removes the reference (the registry value or key, the shortcut, the old file, to the
// Recycle Bin). Success marks the problem cured (pType -1).
#include <string>

#include "problems/clsItem.h"

struct App;
class RecycleBin;
class RepairUi;
struct RepairJournal;

// What the engine works with besides the application.
struct RepairContext {
    App& app;
    RecycleBin& bin;
    RepairUi& ui;
    // Where each change (or failed change) is noted; none when null.
    RepairJournal* journal = nullptr;
};

bool repairProblem(RepairContext& c, clsItem& problem, const std::string& newPath);
void deleteProblem(RepairContext& c, clsItem& problem);
// Sends a file to the Recycle Bin; read-only and system files only with the option
// "deletereadonly". True when the file is gone; otherwise `why` (when given) says why not.
bool ShellDeleteFile(RepairContext& c, const std::string& path, std::string* why = nullptr);
// The read-only or the system attribute is set.
bool IsReadonlyFile(App& app, const std::string& path);
// Points a shortcut file at a new target and saves it in place.
bool ShortcutRepairDest(App& app, const std::string& shortcutPath, const std::string& newTarget);
// The delete-error dialog, unless "Skip all" was chosen in this run.
void ShowDeleteError(RepairContext& c, const std::string& message, const std::string& caption);
