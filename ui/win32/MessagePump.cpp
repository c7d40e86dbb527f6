#include "ui/win32/MessagePump.h"

void MessagePump::DoEvents() {
    ULONGLONG now = GetTickCount64();
    if (now - last_ < kInterval) return;
    last_ = now;
    if (beforePass) beforePass();
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        HWND root = msg.hwnd ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
        if (root && IsDialogMessageW(root, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}
