#pragma once
// The scan progress window's state: loading, Cancel, unloading, and the two updates
// the scanners and the driver make while a scan runs.
#include <functional>
#include <string>

struct App;
class ProgressView;

// The window has loaded: captions set, the scan may go on, the bar spans 31 steps. The
// window shows the scan's updates while a ScopedBinding points app.Scan.progress at it.
void ProgressLoad(App& app, ProgressView& view);
// The Cancel button: the running scanner stops at its next test.
void ProgressCancel(App& app);
// The window unloads, by the end of the sequence or by being closed.
void ProgressUnload(App& app);

// Shows the item being scanned, counts it and shows the problems found so far.
void UpdateProgressLabel(App& app, const std::string& text);
// The same, with the item's text built by `text()` only when the window will show it.
void UpdateProgressLabelWith(App& app, const std::function<std::string()>& text);
// Advances the bar by one step unless it is full.
void UpdateProgressbar(App& app);
