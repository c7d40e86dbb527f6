#include "cli/ConsoleRepairUi.h"

#include <cstdlib>

#include "platform/Console.h"
#include "platform/Text.h"

namespace {

// The dialogs' texts use CR LF and may end in one.
std::string OneLine(const std::string& text) {
    std::string line = text::ReplaceAll(text::ReplaceAll(text, "\r\n", " "), "\n", " ");
    while (!line.empty() && line.back() == ' ') line.pop_back();
    return line;
}

}  // namespace

bool ConsoleRepairUi::ShowDeleteError(const std::string& message, const std::string& caption) {
    Finish();
    console::WriteErr("brivolex-cli: " + OneLine(caption) + ": " + OneLine(message) + "\n");
    return false;
}

std::string ConsoleRepairUi::SelectPath(const std::string& info, const std::vector<std::string>& candidates) {
    if (choice_ == Choice::First) return candidates.front();
    if (choice_ == Choice::Skip) return "SKIP";
    Finish();
    console::WriteErr(OneLine(info) + "\n");
    for (size_t i = 0; i < candidates.size(); ++i)
        console::WriteErr("  " + std::to_string(i + 1) + ") " + candidates[i] + "\n");
    for (;;) {
        console::WriteErr("Number of the file to use, s to skip the problem, d to delete it: ");
        std::string answer;
        if (!console::ReadLine(answer)) {
            console::WriteErr("\n");
            return "SKIP";  // no answer leaves the problem as it is
        }
        answer = text::Trim(answer);
        if (answer == "s" || answer == "S") return "SKIP";
        if (answer == "d" || answer == "D") return "";  // Cancel: the reference is deleted
        char* end = nullptr;
        long number = std::strtol(answer.c_str(), &end, 10);
        if (!answer.empty() && *end == '\0' && number >= 1 && static_cast<size_t>(number) <= candidates.size())
            return candidates[static_cast<size_t>(number) - 1];
    }
}

void ConsoleRepairUi::ShowRepairItem(const std::string& text) {
    item_ = text;
    status_.clear();
    Redraw(true);
}

void ConsoleRepairUi::ShowRepairStatus(const std::string& text) {
    status_ = text;
    Redraw(false);
}

void ConsoleRepairUi::AdvanceBar(int total) {
    total_ = total;
    ++done_;
}

void ConsoleRepairUi::DoEvents() {
    if (console::InterruptRequested()) running_ = false;
}

void ConsoleRepairUi::Redraw(bool force) {
    if (!live_) return;
    // The search names every folder it lists: a terminal is not made to keep up.
    auto now = std::chrono::steady_clock::now();
    if (!force && now - lastDraw_ < std::chrono::milliseconds(80)) return;
    lastDraw_ = now;
    std::string line = "[" + std::to_string(done_) + "/" + std::to_string(total_) + "] " +
                       (status_.empty() ? item_ : status_);
    const size_t width = static_cast<size_t>(console::TerminalWidth() - 1);
    if (text::CharCount(line) > width) line = text::Left(line, width);
    console::WriteErr("\r" + line + std::string(width - text::CharCount(line), ' '));
    drawn_ = true;
}

void ConsoleRepairUi::Finish() {
    if (!drawn_) return;
    console::WriteErr("\r" + std::string(static_cast<size_t>(console::TerminalWidth() - 1), ' ') + "\r");
    drawn_ = false;
}
