#include "ui/win32/ProgressWindow.h"

#include <commctrl.h>

#include "core/App.h"
#include "core/ScopedBinding.h"
#include "platform/win32/WinText.h"
#include "scan/Progress.h"
#include "scan/ScanDriver.h"
#include "ui/win32/Resources.h"

namespace {
constexpr UINT_PTR kScanTimer = 1;
constexpr UINT kScanDelay = 300;

void SetText(HWND control, const std::string& text) { SetWindowTextW(control, win::Wide(text).c_str()); }
}  // namespace

void ProgressWindow::Run(HWND owner) {
    ScopedBinding<ProgressView> shown(app_.Scan.progress, *this);
    ScopedBinding<Events> events(app_.events, pump_);
    auto previous = pump_.beforePass;
    pump_.beforePass = [this, previous] {
        Show();
        if (previous) previous();
    };
    ShowModal(owner, IDD_PROGRESS);
    pump_.beforePass = previous;
}

INT_PTR ProgressWindow::OnMessage(UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
        case WM_INITDIALOG:
            ProgressLoad(app_, *this);
            Show();
            SetTimer(hwnd(), kScanTimer, kScanDelay, nullptr);
            return TRUE;
        case WM_TIMER:
            if (wParam != kScanTimer) return FALSE;
            KillTimer(hwnd(), kScanTimer);  // the scan runs once per window
            RunScanSequence(app_);
            return TRUE;
        case WM_COMMAND:
            // The button, Escape and the close box.
            if (LOWORD(wParam) != IDCANCEL) return FALSE;
            ProgressCancel(app_);
            return TRUE;
        case WM_DESTROY:
            ProgressUnload(app_);
            return FALSE;
        default:
            return FALSE;
    }
}

void ProgressWindow::Show() {
    if (!changed_ || !hwnd()) return;
    changed_ = false;
    SetText(Item(IDC_PROGRESS_ITEM), item_);
    SetText(Item(IDC_PROGRESS_COUNTER), counter_);
    SetText(Item(IDC_PROGRESS_PROBLEMS), problems_);
    ShowWindow(Item(IDC_PROGRESS_PROBLEMS), problemsShown_ ? SW_SHOW : SW_HIDE);
    SendMessageW(Item(IDC_PROGRESS_BAR), PBM_SETRANGE32, 0, barMaximum_);
    SendMessageW(Item(IDC_PROGRESS_BAR), PBM_SETPOS, static_cast<WPARAM>(barValue_), 0);
}

void ProgressWindow::SetWindowCaption(const std::string& text) { SetText(hwnd(), text); }
void ProgressWindow::SetCancelCaption(const std::string& text) { SetText(Item(IDCANCEL), text); }

void ProgressWindow::SetItemText(const std::string& text) {
    item_ = text;
    changed_ = true;
}
void ProgressWindow::SetCounterText(const std::string& text) {
    counter_ = text;
    changed_ = true;
}
void ProgressWindow::HideProblems() {
    problemsShown_ = false;
    changed_ = true;
}
void ProgressWindow::ShowProblems(const std::string& text) {
    problems_ = text;
    problemsShown_ = changed_ = true;
}
void ProgressWindow::SetBarMaximum(int maximum) {
    barMaximum_ = maximum;
    changed_ = true;
}
void ProgressWindow::SetBarValue(int value) {
    barValue_ = value;
    changed_ = true;
}

void ProgressWindow::Close() {
    Show();
    End(IDOK);
}
