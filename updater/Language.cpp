#include "updater/Language.h"

#include <windows.h>

void ReadLanguage(UpdaterApp& app) {
    wchar_t buffer[64] = {};
    GetPrivateProfileStringW(L"Main", L"language", L"eng", buffer, 64,
                             app.File(L"setup.ini").c_str());
    app.language = Trim(buffer);
    if (app.language.empty()) app.language = L"eng";
}

std::wstring GetLangString(UpdaterApp& app, const char* key, const char* defaultText) {
    wchar_t buffer[2048] = {};
    std::wstring file = app.File(L"languages\\" + app.language + L".txt");
    GetPrivateProfileStringW(L"Lang", Widen(key).c_str(), L"", buffer, 2048, file.c_str());
    std::wstring text = buffer[0] ? std::wstring(buffer) : FromAnsi(defaultText);
    for (size_t at; (at = text.find(L"||")) != std::wstring::npos;) text.replace(at, 2, L"\r\n");
    return text;
}
