#pragma once
// brivolex-cli runs with the rights of the account that starts it (its manifest asks
// for no elevation). The scan opens the keys it reads with full access, as the repair
// will need them, so an account that cannot change HKEY_LOCAL_MACHINE finds nothing
// there: this check lets the console say so before the scan.
#include <string>

#include "core/App.h"

// "" when HKLM\SOFTWARE opens with full access; otherwise the reason, one line:
// "HKEY_LOCAL_MACHINE cannot be changed by this account: ...".
std::string HklmAccessProblem(App& app);
