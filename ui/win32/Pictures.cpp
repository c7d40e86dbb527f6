#include "ui/win32/Pictures.h"

#include <objidl.h>

#include <algorithm>

// The GDI+ headers expect min and max, which NOMINMAX leaves out.
namespace Gdiplus {
using std::max;
using std::min;
}  // namespace Gdiplus
#include <gdiplus.h>

#include "platform/win32/WinText.h"

GdiPlusSession::GdiPlusSession() {
    Gdiplus::GdiplusStartupInput input;
    if (Gdiplus::GdiplusStartup(&token_, &input, nullptr) != Gdiplus::Ok) token_ = 0;
}

GdiPlusSession::~GdiPlusSession() {
    if (token_) Gdiplus::GdiplusShutdown(token_);
}

void Picture::Reset() {
    if (bitmap_) DeleteObject(bitmap_);
    bitmap_ = nullptr;
    width_ = height_ = 0;
    path_.clear();
}

bool Picture::Load(const std::string& path, COLORREF background) {
    if (path == path_ && bitmap_) return true;
    Reset();
    Gdiplus::Bitmap picture(win::Wide(path).c_str());
    if (picture.GetLastStatus() != Gdiplus::Ok) return false;
    Gdiplus::Color fill(GetRValue(background), GetGValue(background), GetBValue(background));
    HBITMAP bitmap = nullptr;
    if (picture.GetHBITMAP(fill, &bitmap) != Gdiplus::Ok) return false;
    bitmap_ = bitmap;
    width_ = static_cast<int>(picture.GetWidth());
    height_ = static_cast<int>(picture.GetHeight());
    path_ = path;
    return true;
}

void Picture::Draw(HDC dc, const RECT& where) const {
    if (!bitmap_) return;
    HDC source = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(source, bitmap_);
    BitBlt(dc, where.left, where.top, std::min<int>(width_, where.right - where.left),
           std::min<int>(height_, where.bottom - where.top), source, 0, 0, SRCCOPY);
    SelectObject(source, old);
    DeleteDC(source);
}
