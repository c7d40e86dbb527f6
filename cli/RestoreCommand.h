#pragma once
#include "cli/CliOptions.h"

// brivolex-cli restore: imports the repair's backup files back. 0 when every file was
// imported and its keys are there again, 1 when one was not, 2 for bad usage.
int RunRestoreCommand(const CliOptions& options);
