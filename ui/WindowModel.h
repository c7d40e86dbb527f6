#pragma once
// What a window shows, as plain data: the window logic edits it, the Win32 view copies
// it into the real controls. Sizes are pixels at the screen's resolution.
#include <cstdint>
#include <string>

struct Box {
    int left = 0, top = 0, width = 0, height = 0;
    bool operator==(const Box&) const = default;
};

struct Control {
    Box box;
    std::string text;
    bool visible = true;
    bool enabled = true;
};

// A colour as Windows packs it (COLORREF): red in the low byte.
constexpr uint32_t Rgb(uint32_t red, uint32_t green, uint32_t blue) {
    return red | (green << 8) | (blue << 16);
}

// The screen the window is on: its resolution (twips are 1/1440 inch, so 15 twips a
// pixel at 96 dots per inch, 10 at 144), its size, and the heights of a button and a
// label of the window's font.
struct ScreenMetrics {
    int twipsPerPixel = 15;
    int width = 1024, height = 768;
    int buttonHeight = 25, labelHeight = 17;
};
