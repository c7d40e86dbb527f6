#include "core/Language.h"

#include "core/App.h"
#include "core/Options.h"
#include "platform/Text.h"

std::string GetLangString(App& app, const std::string& key, const std::string& defaultText) {
    const std::string languages = app.AppFolder + "\\languages\\";
    std::string text =
        ReadProfileString(app, "Lang", key, "", languages + app.LanguageCode + ".txt");
    if (text.empty()) {
        // Shown in English, and listed for the translators once per language. A missing
        // languages folder makes this write fail, which is of no consequence.
        text = defaultText;
        app.os.profile.WriteString("Lang_" + app.LanguageCode, key, "",
                                   languages + "_missing.txt");
    }
    return text::ReplaceAll(text, "||", "\r\n");
}
