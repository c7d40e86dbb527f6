#pragma once
// Message boxes. The Win32 backend shows real ones; tests script the answers.
#include <cstdint>
#include <string>

// Button sets and icons of a message box, as Windows numbers them.
constexpr uint32_t kMbOk = 0x0;
constexpr uint32_t kMbOkCancel = 0x1;
constexpr uint32_t kMbYesNo = 0x4;
constexpr uint32_t kMbIconError = 0x10;
constexpr uint32_t kMbIconQuestion = 0x20;
constexpr uint32_t kMbIconWarning = 0x30;
constexpr uint32_t kMbIconInformation = 0x40;

// Answers.
constexpr int kIdOk = 1;
constexpr int kIdCancel = 2;
constexpr int kIdYes = 6;
constexpr int kIdNo = 7;

class Prompts {
public:
    virtual ~Prompts() = default;
    virtual int Show(const std::string& text, const std::string& title,
                           uint32_t style) = 0;
};
