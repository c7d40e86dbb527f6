#pragma once
// The GIF pictures beside the program, loaded with GDI+. A picture that is missing or
// cannot be read leaves its surface plain, without a word.
#include <windows.h>

#include <cstdint>
#include <string>

// GDI+ for as long as it lives.
class GdiPlusSession {
public:
    GdiPlusSession();
    ~GdiPlusSession();
    GdiPlusSession(const GdiPlusSession&) = delete;
    GdiPlusSession& operator=(const GdiPlusSession&) = delete;

private:
    ULONG_PTR token_ = 0;
};

class Picture {
public:
    Picture() = default;
    ~Picture() { Reset(); }
    Picture(const Picture&) = delete;
    Picture& operator=(const Picture&) = delete;

    // Loads the file (a UTF-8 path), its transparent parts on `background`; false and
    // empty when it cannot be read. The same path is not read twice.
    bool Load(const std::string& path, COLORREF background);
    // Draws the picture at its own size from the rectangle's top left corner, cut to the
    // rectangle; nothing when empty.
    void Draw(HDC dc, const RECT& where) const;
    bool empty() const { return bitmap_ == nullptr; }

private:
    void Reset();
    HBITMAP bitmap_ = nullptr;
    int width_ = 0, height_ = 0;
    std::string path_;
};
