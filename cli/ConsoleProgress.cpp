#include "cli/ConsoleProgress.h"

#include "core/App.h"
#include "platform/Console.h"
#include "platform/Text.h"
#include "scan/Progress.h"

ConsoleProgress::ConsoleProgress(App& app, bool live) : app_(app), live_(live) {}

bool ConsoleProgress::WantsUpdate() {
    return live_ && std::chrono::steady_clock::now() - lastDraw_ >= kRedrawEvery;
}

void ConsoleProgress::SetItemText(const std::string& text) {
    item_ = text;
    Redraw(false);
}

void ConsoleProgress::SetCounterText(const std::string& text) { counter_ = text; }

void ConsoleProgress::Close() {
    if (!live_) return;
    console::WriteErr("\r" + std::string(static_cast<size_t>(console::TerminalWidth() - 1), ' ') +
                      "\r");
}

void ConsoleProgress::DoEvents() {
    if (!cancelSent_ && console::InterruptRequested()) {
        cancelSent_ = true;
        ProgressCancel(app_);
    }
}

void ConsoleProgress::Redraw(bool force) {
    if (!live_) return;
    auto now = std::chrono::steady_clock::now();
    if (!force && now - lastDraw_ < kRedrawEvery) return;
    lastDraw_ = now;
    std::string line = "[" + std::to_string(barValue_) + "/" + std::to_string(barMaximum_) + "] " +
                       counter_;
    if (!problems_.empty()) line += "  " + problems_;
    line += "  " + item_;
    size_t width = static_cast<size_t>(console::TerminalWidth() - 1);
    if (text::CharCount(line) > width) line = text::Left(line, width);
    console::WriteErr("\r" + line + std::string(width - text::CharCount(line), ' '));
}
