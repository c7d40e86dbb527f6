#pragma once
// A value's line(s) in a Wine registry file, exactly as Wine writes them, so that a
// value rewritten in place looks like its neighbours:
//   "Name"="text"           REG_SZ ending in its NUL
//   "Name"=str(2):"text"    REG_EXPAND_SZ, REG_MULTI_SZ (str(7)) ending in a NUL
//   "Name"=dword:0000002a   REG_DWORD of four bytes
//   "Name"=hex:01,02,...    REG_BINARY; any other type or size as hex(N):, text types
//                           as UTF-16LE, wrapped after column 76 with "\" and two blanks
// Names and texts escape \ and " with a backslash, control characters as \n, \t...
// or octal, and characters beyond ASCII as \x hex.
#include <string>
#include <string_view>

#include "platform/Registry.h"

// The value's text, each line ended with `lineEnd` ("\n", or "\r\n" in a file that
// uses it). `name` "" is the default value (@=).
std::string WineRegValueText(const std::string& name, const RegValue& value,
                             std::string_view lineEnd);
