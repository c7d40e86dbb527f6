#include "ui/win32/RepairWindows.h"

#include <commctrl.h>

#include "core/App.h"
#include "core/Language.h"
#include "core/Logs.h"
#include "platform/win32/WinText.h"
#include "ui/win32/Resources.h"

namespace {

constexpr UINT_PTR kRepairTimer = 1;
constexpr UINT kRepairDelay = 300;

void SetText(HWND control, const std::string& text) { SetWindowTextW(control, win::Wide(text).c_str()); }

// The path selection among several finds.
class SelectPathDialog : public Dialog {
public:
    SelectPathDialog(App& app, std::string info, const std::vector<std::string>& candidates)
        : Dialog(app, "frmRepairSelectPath"), info_(std::move(info)), candidates_(candidates) {}
    std::string chosen;

private:
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        App& app = app_;
        if (message == WM_INITDIALOG) {
            SetText(hwnd(), GetLangString(app, "frmrepselpath_caption", ""));
            SetText(Item(IDC_SELECT_WARNING), GetLangString(app, "frmrepselpath_warning", ""));
            SetText(Item(IDOK), GetLangString(app, "frmrepselpath_ok", ""));
            SetText(Item(IDCANCEL), GetLangString(app, "frmrepselpath_cancel", ""));
            SetText(Item(IDC_SELECT_SKIP), GetLangString(app, "frmrepselpath_skip", ""));
            SetText(Item(IDC_SELECT_INFO), info_);
            for (const std::string& candidate : candidates_)
                SendMessageW(Item(IDC_SELECT_LIST), LB_ADDSTRING, 0,
                             reinterpret_cast<LPARAM>(win::Wide(candidate).c_str()));
            SendMessageW(Item(IDC_SELECT_LIST), LB_SETCURSEL, 0, 0);
            // The warning in red bold type.
            LOGFONTW font{};
            GetObjectW(reinterpret_cast<HFONT>(SendMessageW(hwnd(), WM_GETFONT, 0, 0)), sizeof font, &font);
            font.lfWeight = FW_BOLD;
            bold_ = CreateFontIndirectW(&font);
            SendMessageW(Item(IDC_SELECT_WARNING), WM_SETFONT, reinterpret_cast<WPARAM>(bold_), FALSE);
            return TRUE;
        }
        if (message == WM_CTLCOLORSTATIC && reinterpret_cast<HWND>(lParam) == Item(IDC_SELECT_WARNING)) {
            HDC dc = reinterpret_cast<HDC>(wParam);
            SetTextColor(dc, RGB(255, 0, 0));
            SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
            return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_BTNFACE));
        }
        if (message == WM_CLOSE) {  // the close box: like Cancel, without its trace line
            End(IDCANCEL);
            return TRUE;
        }
        if (message == WM_DESTROY && bold_) DeleteObject(bold_);
        if (message != WM_COMMAND) return FALSE;
        switch (LOWORD(wParam)) {
            case IDOK: {
                int selected = static_cast<int>(SendMessageW(Item(IDC_SELECT_LIST), LB_GETCURSEL, 0, 0));
                if (selected >= 0 && selected < static_cast<int>(candidates_.size()))
                    chosen = candidates_[static_cast<size_t>(selected)];
                End(IDOK);
                return TRUE;
            }
            case IDCANCEL:
                WriteTrace(app, "frmRepairSelectPath.Cancel");
                End(IDCANCEL);
                return TRUE;
            case IDC_SELECT_SKIP:
                chosen = kSkipPath;
                End(IDOK);
                return TRUE;
            default: return FALSE;
        }
    }
    std::string info_;
    const std::vector<std::string>& candidates_;
    HFONT bold_ = nullptr;
};

// The delete error, with Skip (the default) and Skip all.
class DeleteErrorDialog : public Dialog {
public:
    DeleteErrorDialog(App& app, std::string message, std::string caption)
        : Dialog(app, "frmDeleteError"), message_(std::move(message)), caption_(std::move(caption)) {}
    bool skipAll = false;

private:
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM) override {
        App& app = app_;
        if (message == WM_INITDIALOG) {
            SetText(hwnd(), caption_);
            SetText(Item(IDC_DELETE_INFO), message_);
            SetText(Item(IDOK), GetLangString(app, "frmdeleteerror_btnskip", "Skip"));
            SetText(Item(IDC_SKIP_ALL), GetLangString(app, "frmdeleteerror_btnskipall", "Skip all"));
            return TRUE;
        }
        if (message != WM_COMMAND) return FALSE;
        int id = LOWORD(wParam);
        if (id == IDC_SKIP_ALL) skipAll = true;
        if (id == IDOK || id == IDCANCEL || id == IDC_SKIP_ALL) {  // the close box is Skip
            End(IDOK);
            return TRUE;
        }
        return FALSE;
    }
    std::string message_, caption_;
};

}  // namespace

INT_PTR RepairOptionsDialog::OnMessage(UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_INITDIALOG) {
        RepairOptionsLoad(app_, m_);
        SetText(hwnd(), m_.caption);
        SetText(Item(IDC_PLEASE), m_.lblPlease.text);
        SetText(Item(IDC_METHOD_CONSERVATIVE), m_.optConservative.text);
        SetText(Item(IDC_CONSERVATIVE_TEXT), m_.lblMethodConservative.text);
        SetText(Item(IDC_METHOD_AGGRESSIVE), m_.optAggressive.text);
        SetText(Item(IDC_AGGRESSIVE_TEXT), m_.lblMethodAggresive.text);
        SetText(Item(IDC_BACKUP), m_.chBackup.text);
        SetText(Item(IDC_BACKUP_TEXT), m_.lblBackup.text);
        SetText(Item(IDOK), m_.OKButton.text);
        SetText(Item(IDCANCEL), m_.CancelButton.text);
        CheckDlgButton(hwnd(), IDC_METHOD_CONSERVATIVE, BST_CHECKED);
        CheckDlgButton(hwnd(), IDC_BACKUP, BST_CHECKED);
        SetFocus(Item(IDC_METHOD_CONSERVATIVE));
        return FALSE;  // the focus is set
    }
    if (message != WM_COMMAND) return FALSE;
    if (LOWORD(wParam) == IDOK) {
        m_.conservative = IsDlgButtonChecked(hwnd(), IDC_METHOD_CONSERVATIVE) == BST_CHECKED;
        m_.backup = IsDlgButtonChecked(hwnd(), IDC_BACKUP) == BST_CHECKED;
        RepairOptionsOK(app_, m_);
        End(IDOK);
        return TRUE;
    }
    if (LOWORD(wParam) == IDCANCEL) {  // the button, Escape and the close box
        RepairOptionsCancel(app_);
        End(IDCANCEL);
        return TRUE;
    }
    return FALSE;
}

INT_PTR RepairProgressWindow::OnMessage(UINT message, WPARAM wParam, LPARAM) {
    App& app = app_;
    switch (message) {
        case WM_INITDIALOG: {
            WriteTrace(app, "frmRepairProgress.Load");
            SetText(hwnd(), GetLangString(app, "frmrepairprogress_caption", "Progress"));
            SetText(Item(IDCANCEL), GetLangString(app, "frmrepairprogress_cancel", "Cancel"));
            int selected = 0;
            for (const RepairRow& row : rows_) selected += row.selected;
            if (selected > 0) SendMessageW(Item(IDC_REPAIR_BAR), PBM_SETRANGE32, 0, selected);
            running_ = true;
            SetTimer(hwnd(), kRepairTimer, kRepairDelay, nullptr);
            return TRUE;
        }
        case WM_TIMER:
            if (wParam != kRepairTimer) return FALSE;
            KillTimer(hwnd(), kRepairTimer);  // the run starts once
            RunRepair(context_, rows_, running_);
            End(IDOK);
            return TRUE;
        case WM_COMMAND:
            if (LOWORD(wParam) != IDCANCEL) return FALSE;  // the button, Escape and the close box
            WriteTrace(app, "frmRepairProgress.Cancel");
            running_ = false;
            return TRUE;
        case WM_DESTROY:
            WriteTrace(app, "frmRepairProgress.Unload");
            running_ = false;
            return FALSE;
        default:
            return FALSE;
    }
}

bool RepairProgressWindow::ShowDeleteError(const std::string& message, const std::string& caption) {
    DeleteErrorDialog dialog(app_, message, caption);
    dialog.ShowModal(hwnd(), IDD_DELETE_ERROR);
    return dialog.skipAll;
}

std::string RepairProgressWindow::SelectPath(const std::string& info, const std::vector<std::string>& candidates) {
    SelectPathDialog dialog(app_, info, candidates);
    dialog.ShowModal(hwnd(), IDD_SELECT_PATH);
    return dialog.chosen;
}

void RepairProgressWindow::ShowRepairItem(const std::string& text) { SetText(Item(IDC_REPAIR_ITEM), text); }
void RepairProgressWindow::ShowRepairStatus(const std::string& text) { SetText(Item(IDC_REPAIR_STATUS), text); }

void RepairProgressWindow::AdvanceBar(int) {
    HWND bar = Item(IDC_REPAIR_BAR);
    int maximum = static_cast<int>(SendMessageW(bar, PBM_GETRANGE, FALSE, 0));
    int value = static_cast<int>(SendMessageW(bar, PBM_GETPOS, 0, 0));
    if (value < maximum) SendMessageW(bar, PBM_SETPOS, static_cast<WPARAM>(value + 1), 0);
}
