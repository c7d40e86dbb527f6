#include "cli/ShortcutCommand.h"

#include <cstdio>
#include <nlohmann/json.hpp>

#include "cli/Machine.h"
#include "cli/ProblemOutput.h"
#include "platform/Console.h"

namespace {

std::string HexNumber(int32_t number) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "0x%08X", static_cast<uint32_t>(number));
    return buffer;
}

std::string ErrorText(const ShellLinkError& error) {
    return error.description + " (" + HexNumber(error.number) + ")";
}

std::string JsonLine(const std::string& file, bool ok, const ShellLinkInfo& info,
                     const ShellLinkError& error) {
    nlohmann::ordered_json line = {{"file", JsonText(file)}, {"ok", ok}};
    if (ok) {
        line["target"] = JsonText(info.target);
        line["arguments"] = JsonText(info.arguments);
        line["description"] = JsonText(info.description);
        line["workingDirectory"] = JsonText(info.workingDirectory);
        line["iconLocation"] = JsonText(info.iconLocation);
    } else {
        line["error"] = JsonText(ErrorText(error));
    }
    return JsonLayout(line) + "\n";
}

std::string TextBlock(const std::string& file, bool ok, const ShellLinkInfo& info,
                      const ShellLinkError& error) {
    if (!ok) return file + "\n  cannot be read: " + ErrorText(error) + "\n";
    std::string icon = info.iconLocation.empty()
                           ? ""
                           : info.iconLocation + "," + std::to_string(info.iconIndex);
    return file + "\n" +
           "  target:            " + info.target + "\n" +
           "  arguments:         " + info.arguments + "\n" +
           "  description:       " + info.description + "\n" +
           "  working directory: " + info.workingDirectory + "\n" +
           "  icon location:     " + icon + "\n";
}

}  // namespace

int RunShortcutCommand(const CliOptions& options) {
    std::unique_ptr<ShellLinks> links = OpenHostShellLinks();
    int status = 0;
    for (const std::string& file : options.files) {
        ShellLinkInfo info;
        ShellLinkError error;
        bool ok = links->Read(file, info, error);
        if (!ok) status = 1;
        console::WriteOut(options.json ? JsonLine(file, ok, info, error)
                                       : TextBlock(file, ok, info, error));
    }
    return status;
}
