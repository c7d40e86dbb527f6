#include "ui/win32/OptionsDialog.h"

#include "core/App.h"
#include "core/Updater.h"
#include "platform/win32/WinText.h"
#include "ui/win32/Resources.h"

namespace {
constexpr int kWhenIds[] = {IDC_WHEN_DAILY, IDC_WHEN_WEEKLY, IDC_WHEN_MONTHLY};

void SetText(HWND control, const std::string& text) { SetWindowTextW(control, win::Wide(text).c_str()); }
}  // namespace

INT_PTR OptionsDialog::OnMessage(UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_INITDIALOG) {
        OptionsLoad(app_, m_);
        ShowModel();
        return TRUE;
    }
    if (message != WM_COMMAND) return FALSE;
    switch (LOWORD(wParam)) {
        case IDC_RUN_AUTOMATICALLY:
        case IDC_WHEN_DAILY:
        case IDC_WHEN_WEEKLY:
        case IDC_WHEN_MONTHLY:
            if (HIWORD(wParam) != BN_CLICKED) return FALSE;
            ReadChoices();
            UpdateScheduleControls(m_);
            ShowModel();
            return TRUE;
        case IDOK:
            ReadChoices();
            OptionsOK(app_, m_);
            End(IDOK);
            return TRUE;
        case IDCANCEL:  // the button, Escape and the close box
            OptionsCancel(app_);
            End(IDCANCEL);
            return TRUE;
        case IDC_UPDATE:
            // Once the updater runs, the dialog and then the main window close.
            if (UpdateNow(app_, shell_)) {
                HWND owner = GetWindow(hwnd(), GW_OWNER);
                End(IDCANCEL);
                if (owner) PostMessageW(owner, WM_CLOSE, 0, 0);
            }
            return TRUE;
        default:
            return FALSE;
    }
}

void OptionsDialog::ShowModel() {
    SetText(hwnd(), m_.caption);
    SetText(Item(IDC_RUN_AUTOMATICALLY), m_.chRunAutomatically.text);
    CheckDlgButton(hwnd(), IDC_RUN_AUTOMATICALLY, m_.runAutomatically ? BST_CHECKED : BST_UNCHECKED);
    for (int i = 0; i < 3; ++i) {
        HWND option = Item(kWhenIds[i]);
        SetText(option, m_.optWhen[i].text);
        EnableWindow(option, m_.optWhen[i].enabled);
        CheckDlgButton(hwnd(), kWhenIds[i], m_.when == i ? BST_CHECKED : BST_UNCHECKED);
    }
    HWND days = Item(IDC_DAYS);
    if (SendMessageW(days, CB_GETCOUNT, 0, 0) == 0)
        for (const std::string& day : m_.days)
            SendMessageW(days, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(win::Wide(day).c_str()));
    SendMessageW(days, CB_SETCURSEL, static_cast<WPARAM>(m_.day), 0);
    EnableWindow(days, m_.lstDays.enabled);
    SetText(Item(IDC_DELETE_READONLY), m_.chDeleteReadonly.text);
    CheckDlgButton(hwnd(), IDC_DELETE_READONLY, m_.deleteReadonly ? BST_CHECKED : BST_UNCHECKED);
    SetText(Item(IDOK), m_.btnOK.text);
    SetText(Item(IDCANCEL), m_.btnCancel.text);
    SetText(Item(IDC_UPDATE), m_.btnUpdate.text);
}

void OptionsDialog::ReadChoices() {
    m_.runAutomatically = IsDlgButtonChecked(hwnd(), IDC_RUN_AUTOMATICALLY) == BST_CHECKED;
    m_.deleteReadonly = IsDlgButtonChecked(hwnd(), IDC_DELETE_READONLY) == BST_CHECKED;
    m_.when = -1;
    for (int i = 0; i < 3; ++i)
        if (IsDlgButtonChecked(hwnd(), kWhenIds[i]) == BST_CHECKED) m_.when = i;
    m_.day = static_cast<int>(SendMessageW(Item(IDC_DAYS), CB_GETCURSEL, 0, 0));
}
