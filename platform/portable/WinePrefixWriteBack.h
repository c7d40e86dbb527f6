#pragma once
// Writing a repair done on a Wine prefix's registry (read with LoadWinePrefix) back into
// its system.reg, user.reg and userdef.reg. Linux only: the Windows build says so.
#include <string>
#include <vector>

#include "platform/Registry.h"

// Edits each registry file of the prefix to match `repaired` (see WineRegFileEdit.h:
// keys and values it lacks are removed, values that differ rewritten, the rest of the
// text kept byte for byte). Only files that change are written: each is first copied
// to <file>.brivolex-<stamp>.bak beside it (an existing one is never overwritten), then
// replaced by a complete new file through a rename, with its owner and mode kept.
// Nothing is written while a wineserver serves the prefix (it would write its own copy
// back when it exits). `stamp` may hold letters, digits, '-', '_' and '.'.
// `changedFiles` gets the host path of each file replaced. False with an error when
// anything fails; files replaced before the failure are in `changedFiles`.
bool WriteBackWinePrefix(Registry& repaired, const std::string& prefix, const std::string& stamp,
                         std::vector<std::string>& changedFiles, std::string& error);

// True while a wineserver serves the prefix: it holds a lock on the "lock" file of its
// folder, server-<device>-<inode of the prefix, hex>, which lies in /tmp/.wine-<uid>/
// (Wine's own builds), or for Debian's build in /run/user/<uid>/wine/ or in the folder
// of $TMPDIR (or /tmp) the prefix's file "wineserver" names. Also true, saying why,
// when a lock is there but cannot be checked. `detail` says what was found.
bool WineServerRunning(const std::string& prefix, std::string& detail);
