#include "platform/win32/Win32Prompts.h"

#include "platform/win32/WinText.h"

int Win32Prompts::Show(const std::string& text, const std::string& title, uint32_t style) {
    return MessageBoxW(owner_, win::Wide(text).c_str(), win::Wide(title).c_str(), style);
}
