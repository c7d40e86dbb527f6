#pragma once
#include "cli/CliOptions.h"

// brivolex-cli scan: 0 after a scan (cancelled or not), 2 for an unreadable image.
int RunScanCommand(const CliOptions& options);
