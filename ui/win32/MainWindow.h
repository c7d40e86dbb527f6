#pragma once
// The main window (Form1), built in code: its arrangement is fixed in pixels (grown
// with the screen's resolution). Messages become calls of the window's logic
// (ui/MainForm.h, ui/MainCommands.h), whose model is then copied into the controls.
// The problem list is a virtual list view that shows the model's rows.
#include <windows.h>

#include <commctrl.h>

#include <map>

#include "platform/win32/Win32Processes.h"
#include "platform/win32/Win32RecycleBin.h"
#include "ui/MainCommands.h"
#include "ui/MainForm.h"
#include "ui/win32/MessagePump.h"
#include "ui/win32/Pictures.h"
#include "platform/win32/Win32Shell.h"
#include "ui/win32/WindowBase.h"

class Win32Prompts;

class MainWindow : public Window, public MainWindowHost, public RepairHost {
public:
    // Control identifiers, for the tests that drive the window by its messages.
    enum ControlId : int {
        kList = 1000, kCheck, kMore, kOptions, kSelectAll, kSelectNone, kSelectInvert,
        kSaveResults, kRepairWarning, kBigStatStart, kInfo, kVersion, kWarning,
        kStatDate, kStatOveral, kStatRegistry,
        kBigStatStatus, kBigStatDate, kBigStatOverall, kBigStatRegistry,
    };
    static constexpr UINT_PTR kStartupTimer = 1;

    // `prompts`, when given, gets the window as the owner of its message boxes. The
    // program's window ends the program's message loop when it closes; a window a
    // test opens does not. `shell`, when given, takes the place of the window's own
    // (the save-file dialog and the report's opening).
    MainWindow(App& app, Win32Prompts* prompts, bool endsTheProgram = true, Win32Shell* shell = nullptr);
    ~MainWindow() override;
    // Creates, loads and shows the window, and starts the 700 ms start-up timer.
    bool Open(int showCommand);
    const MainFormModel& model() const { return model_; }
    // The pump the scan's loops run; what is hooked here runs at each of its passes.
    MessagePump& pump() { return pump_; }

    // The Recycle Bin and the process start the repair uses: the system's own, unless a
    // test over an offline image gives its own.
    void UseRepairServices(RecycleBin& bin, Processes& processes) {
        bin_ = &bin;
        processes_ = &processes;
    }

    void ShowProgressWindow() override;
    void ShowOptionsDialog() override;
    void ShowNow() override;
    void ShowRepairOptions() override;
    void ShowRepairProgress() override;
    Processes& processes() override { return *processes_; }

private:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void CreateControls();
    void OnCommand(int id);
    void OnSize();
    void Paint(HDC dc);
    // Runs a piece of the window's logic with the list's selection read first and the
    // model shown after.
    template <typename Logic>
    void Do(Logic logic);
    // The model into the controls, and the list's selection and column widths back.
    void ShowModel();
    void ReadList();
    RECT Screen(const Box& box, const Box* within = nullptr) const;

    Win32Prompts* prompts_;
    Win32Shell ownShell_;
    Win32Shell* shell_;
    bool endsTheProgram_;
    GdiPlusSession gdiplus_;
    HFONT font_;
    ScreenMetrics screen_;
    MainFormModel model_;
    MainForm form_;
    MessagePump pump_;
    Win32RecycleBin systemBin_;
    Win32Processes systemProcesses_;
    RecycleBin* bin_ = &systemBin_;
    Processes* processes_ = &systemProcesses_;
    bool loaded_ = false;
    HICON icon_ = nullptr;
    HIMAGELIST images_ = nullptr;
    std::map<int, HWND> controls_;
    Picture background_, warning_, info_, health_;
    size_t shownRows_ = static_cast<size_t>(-1);
};
