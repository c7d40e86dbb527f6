#pragma once
// The Options dialog (frmOptions), made from its DIALOGEX resource: the controls show
// the model when it opens and after each click, and OK reads them back.
#include "platform/win32/Win32Shell.h"
#include "ui/OptionsForm.h"
#include "ui/win32/WindowBase.h"

class OptionsDialog : public Dialog {
public:
    explicit OptionsDialog(App& app) : Dialog(app, "frmOptions") {}
    const OptionsFormModel& model() const { return m_; }

private:
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void ShowModel();
    void ReadChoices();

    OptionsFormModel m_;
    Win32Shell shell_;
};
