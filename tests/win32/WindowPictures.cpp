#include "tests/win32/WindowPictures.h"

#include <objidl.h>

#include <algorithm>
#include <filesystem>

namespace Gdiplus {
using std::max;
using std::min;
}  // namespace Gdiplus
#include <gdiplus.h>

#include "platform/portable/HostPath.h"
#include "platform/win32/WinText.h"

namespace testing_support {

bool SaveWindowPicture(HWND window, const std::string& name) {
    std::filesystem::path folder = hostpath::FromUtf8(BRIVOLEX_PROGRAM_DIR) / ".." / "screenshots";
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    RECT r;
    GetWindowRect(window, &r);
    int width = r.right - r.left, height = r.bottom - r.top;
    HDC screen = GetDC(nullptr);
    HDC copy = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = SelectObject(copy, bitmap);
    // What the screen shows: the window tests run alone, so nothing stands in front of it.
    BitBlt(copy, 0, 0, width, height, screen, r.left, r.top, SRCCOPY);
    SelectObject(copy, old);
    DeleteDC(copy);
    ReleaseDC(nullptr, screen);

    ULONG_PTR token = 0;
    Gdiplus::GdiplusStartupInput input;
    Gdiplus::GdiplusStartup(&token, &input, nullptr);
    bool saved = false;
    {
        Gdiplus::Bitmap picture(bitmap, nullptr);
        // The PNG encoder's class.
        const CLSID png = {0x557cf406, 0x1a04, 0x11d3, {0x9a, 0x73, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e}};
        std::wstring file = (folder / hostpath::FromUtf8(name + ".png")).wstring();
        saved = picture.Save(file.c_str(), &png, nullptr) == Gdiplus::Ok;
    }
    Gdiplus::GdiplusShutdown(token);
    DeleteObject(bitmap);
    return saved;
}

}  // namespace testing_support
