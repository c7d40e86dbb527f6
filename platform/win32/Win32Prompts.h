#pragma once
#include <windows.h>

#include "platform/Prompts.h"

// Real message boxes, owned by a window of the program when it has one.
class Win32Prompts : public Prompts {
public:
    int Show(const std::string& text, const std::string& title, uint32_t style) override;
    void SetOwner(HWND owner) { owner_ = owner; }

private:
    HWND owner_ = nullptr;
};
