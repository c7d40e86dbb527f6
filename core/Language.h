#pragma once
// Localised texts: looked up by key in languages\<LanguageCode>.txt, section "Lang",
// with the English default given at the call site.
#include <string>

struct App;

// The text of `key`, or `defaultText` when the language file lacks it (the key is then
// recorded in languages\_missing.txt); "||" becomes CR LF.
std::string GetLangString(App& app, const std::string& key, const std::string& defaultText);
