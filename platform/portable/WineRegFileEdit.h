#pragma once
// Bringing a Wine registry file in line with a registry that was read from it and then
// repaired, by editing its text as little as possible: every line that does not have
// to change stays byte for byte (header, #arch, #time, key times, order, the form of
// untouched values).
#include <string>

#include "platform/Registry.h"

// Edits `bytes`, a file whose keys are hive\below\... in `repaired`:
// - a key the registry lacks loses its section (its subkeys lack it too, so theirs go
//   as well), with the blank line that led to it;
// - a value the registry lacks loses its line(s); one whose type or data differs gets
//   them rewritten as Wine writes them (see WineRegValueText.h);
// - keys and values only the registry has are left out: the repair only removes and
//   changes.
// Link keys and the keys inside them are left as they are (in memory they hold a copy
// of their target, see ResolveWineLinks) unless the key holding them is gone.
// `edited` gets the new text (equal to `bytes` when nothing differs). False with an
// error when the file is malformed or a key cannot be read.
bool EditWineRegFile(const std::string& bytes, Registry& repaired, RegKey hive,
                     const std::string& below, std::string& edited, std::string& error);
