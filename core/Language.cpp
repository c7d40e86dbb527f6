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
        const std::string missing = languages + "_missing.txt";
        const std::string section = "Lang_" + app.LanguageCode;
        // A key listed already (with its empty text) is not written again, as the
        // profile functions leave a value that does not change.
        if (!ReadProfileString(app, section, key, "?", missing).empty())
            app.os.profile.WriteString(section, key, "", missing);
    }
    return text::ReplaceAll(text, "||", "\r\n");
}
