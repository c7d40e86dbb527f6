#pragma once
// The arguments of a command line as Windows gives it (GetCommandLineW): what follows
// the program's name, which is quoted or ends at the first blank. Header-only, so that
// the updater, which links none of the program's libraries, can use it too.
#include <wchar.h>

namespace win {

inline const wchar_t* ArgumentsOf(const wchar_t* commandLine) {
    const wchar_t* p = commandLine;
    if (*p == L'"') {
        ++p;
        while (*p && *p != L'"') ++p;
        if (*p == L'"') ++p;
    } else {
        while (*p && *p != L' ' && *p != L'\t') ++p;
    }
    while (*p == L' ' || *p == L'\t') ++p;
    return p;
}

}  // namespace win
