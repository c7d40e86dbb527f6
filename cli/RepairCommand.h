#pragma once
#include "cli/CliOptions.h"

// brivolex-cli repair: 0 when every chosen problem was repaired or skipped by choice,
// 1 when some were not (or the backup failed), 2 for bad usage or an unreadable image.
int RunRepairCommand(const CliOptions& options);
