#pragma once
#include "cli/CliOptions.h"

// brivolex-cli shortcut: prints what the shell-link reader finds in each file; 0 when
// every file could be read, 1 when one could not.
int RunShortcutCommand(const CliOptions& options);
