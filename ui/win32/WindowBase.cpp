#include "ui/win32/WindowBase.h"

#include <string>

#include "core/App.h"
#include "core/Errors.h"
#include "core/Logs.h"

namespace {
void ReportHandlerFailure(App& app, const char* name) {
    try {
        ReportError(app, std::string(name) + ".WindowProc", CurrentError());
    } catch (...) {
    }
}
}  // namespace

HINSTANCE ProgramInstance() { return GetModuleHandleW(nullptr); }

bool Window::Create(const wchar_t* className, const wchar_t* title, DWORD style, HICON icon) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    if (!GetClassInfoExW(ProgramInstance(), className, &wc)) {
        wc = WNDCLASSEXW{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = Procedure;
        wc.hInstance = ProgramInstance();
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.lpszClassName = className;
        wc.hIcon = icon;
        wc.hIconSm = icon;
        if (!RegisterClassExW(&wc)) return false;
    }
    return CreateWindowExW(0, className, title, style, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                           CW_USEDEFAULT, nullptr, nullptr, ProgramInstance(), this) != nullptr;
}

LRESULT CALLBACK Window::Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    if (message == WM_NCCREATE) {
        auto* self = static_cast<Window*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->hwnd_ = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self) return DefWindowProcW(hwnd, message, wParam, lParam);
    try {
        LRESULT result = self->OnMessage(message, wParam, lParam);
        if (message == WM_NCDESTROY) {
            SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
            self->hwnd_ = nullptr;
        }
        return result;
    } catch (...) {
        ReportHandlerFailure(self->app_, self->name_);
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

INT_PTR Dialog::ShowModal(HWND owner, int resourceId) {
    return DialogBoxParamW(ProgramInstance(), MAKEINTRESOURCEW(resourceId), owner, Procedure,
                           reinterpret_cast<LPARAM>(this));
}

INT_PTR CALLBACK Dialog::Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    if (message == WM_INITDIALOG) {
        auto* self = reinterpret_cast<Dialog*>(lParam);
        self->hwnd_ = hwnd;
        SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
    }
    auto* self = reinterpret_cast<Dialog*>(GetWindowLongPtrW(hwnd, DWLP_USER));
    if (!self) return FALSE;
    try {
        INT_PTR handled = self->OnMessage(message, wParam, lParam);
        if (message == WM_NCDESTROY) self->hwnd_ = nullptr;
        return handled;
    } catch (...) {
        ReportHandlerFailure(self->app_, self->name_);
        return FALSE;
    }
}
