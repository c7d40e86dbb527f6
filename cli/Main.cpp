// brivolex-cli: scans and repairs a machine (or an offline image of one) without windows.
#include <string>
#include <vector>

#include "cli/CliOptions.h"
#include "cli/RepairCommand.h"
#include "cli/RestoreCommand.h"
#include "cli/ScanCommand.h"
#include "cli/ShortcutCommand.h"
#include "platform/Console.h"
#include "platform/Text.h"

namespace {

int Run(const std::vector<std::string>& args) {
    CliOptions options;
    std::string text;
    switch (ParseCliOptions(args, options, text)) {
        case CliParse::Help:
            console::WriteOut(text);
            return 0;
        case CliParse::BadUsage:
            console::WriteErr("brivolex-cli: " + text + " (brivolex-cli --help shows the usage)\n");
            return 2;
        case CliParse::Run:
            break;
    }
    if (options.command == "scan") return RunScanCommand(options);
    if (options.command == "repair") return RunRepairCommand(options);
    if (options.command == "restore") return RunRestoreCommand(options);
    return RunShortcutCommand(options);
}

}  // namespace

#ifdef _WIN32
int wmain(int argc, wchar_t** argv) {
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i)
        args.push_back(text::Utf16ToUtf8(reinterpret_cast<const char16_t*>(argv[i])));
    return Run(args);
}
#else
int main(int argc, char** argv) { return Run(std::vector<std::string>(argv + 1, argv + argc)); }
#endif
