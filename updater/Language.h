#pragma once
// The updater's texts, from the program's language files beside it.
#include <string>

#include "updater/UpdaterText.h"

// The language of setup.ini ("language" of [Main], default "eng").
void ReadLanguage(UpdaterApp& app);
// The text of `key` in languages\<language>.txt, section [Lang], or `defaultText`;
// "||" becomes a line break.
std::wstring GetLangString(UpdaterApp& app, const char* key, const char* defaultText);
