#pragma once
// The two kinds of window the program has: top-level windows built in code, and modal
// dialogs made from DIALOGEX resources. The static procedure keeps `this` with the
// window (from WM_NCCREATE or WM_INITDIALOG on) and forwards every message to the
// object; nothing thrown by a handler crosses into the system: it is reported under
// the window's name and the message gets its default handling.
#include <windows.h>

struct App;

class Window {
public:
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;
    virtual ~Window() = default;
    HWND hwnd() const { return hwnd_; }

protected:
    Window(App& app, const char* name) : app_(app), name_(name) {}
    // Registers the class (once) and creates the window; false when it could not.
    bool Create(const wchar_t* className, const wchar_t* title, DWORD style, HICON icon);
    // The message's handling; DefWindowProc for what is not handled.
    virtual LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) = 0;
    LRESULT Default(UINT message, WPARAM wParam, LPARAM lParam) {
        return DefWindowProcW(hwnd_, message, wParam, lParam);
    }

    App& app_;

private:
    static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
    const char* name_;
    HWND hwnd_ = nullptr;
};

class Dialog {
public:
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;
    virtual ~Dialog() = default;
    HWND hwnd() const { return hwnd_; }
    // Shows the dialog modally over `owner`; returns how it ended (IDOK, IDCANCEL...).
    INT_PTR ShowModal(HWND owner, int resourceId);

protected:
    Dialog(App& app, const char* name) : app_(app), name_(name) {}
    // TRUE when the message was handled.
    virtual INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) = 0;
    void End(INT_PTR result) { EndDialog(hwnd_, result); }
    HWND Item(int id) const { return GetDlgItem(hwnd_, id); }

    App& app_;

private:
    static INT_PTR CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
    const char* name_;
    HWND hwnd_ = nullptr;
};

// The instance of the program's own module (the executable, whose resources it holds).
HINSTANCE ProgramInstance();
