#include "platform/win32/Win32ShellLinks.h"

#include <shlguid.h>

#include <vector>

#include "platform/portable/PortableShellLinks.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/WinText.h"

namespace {

// Characters of the buffers the fields are asked for with, the NUL included.
constexpr int kPathBuffer = MAX_PATH;
constexpr int kDescriptionBuffer = INFOTIPSIZE;

// The text of a buffer a getter filled, up to its first NUL.
std::string UpToNul(const std::vector<wchar_t>& buffer) {
    size_t n = 0;
    while (n < buffer.size() && buffer[n] != L'\0') ++n;
    return win::Narrow(buffer.data(), n);
}

bool Failure(HRESULT hr, ShellLinkError& error) {
    error = ShellLinkError{static_cast<int32_t>(hr), ComErrorDescription(hr)};
    return false;
}

// Replaces `target` by the path the link file itself holds in Unicode, when it has one.
void RecoverUnicodeTarget(const std::string& path, std::string& target) {
    Win32FileSystem files;
    std::string bytes, reason;
    ShellLinkInfo parsed;
    if (!files.ReadFile(path, bytes) || !ShellLinkInfoFromBytes(bytes, parsed, reason)) return;
    if (!parsed.target.empty() && parsed.target.find('?') == std::string::npos)
        target = parsed.target;
}

}  // namespace

std::string ComErrorDescription(HRESULT hr) {
    wchar_t buffer[1024] = {};
    DWORD n = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                             static_cast<DWORD>(hr), 0, buffer, 1024, nullptr);
    while (n > 0 && (buffer[n - 1] == L'\r' || buffer[n - 1] == L'\n' || buffer[n - 1] == L' '))
        --n;
    return n > 0 ? win::Narrow(buffer, n) : "Automation error";
}

HRESULT Win32ShellLinks::EnsureLinkObject() {
    if (link_ && file_) return S_OK;
    HRESULT hr = com_.Enter();
    if (FAILED(hr)) return hr;
    win::ComPtr<IShellLinkW> link;
    hr = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                          link.put());
    if (FAILED(hr)) return hr;
    win::ComPtr<IPersistFile> file;
    hr = link->QueryInterface(IID_IPersistFile, file.put());
    if (FAILED(hr)) return hr;
    link_ = std::move(link);
    file_ = std::move(file);
    return S_OK;
}

bool Win32ShellLinks::Read(const std::string& path, ShellLinkInfo& info, ShellLinkError& error) {
    HRESULT hr = EnsureLinkObject();
    if (SUCCEEDED(hr)) hr = file_->Load(win::Wide(path).c_str(), STGM_READ);
    if (FAILED(hr)) return Failure(hr, error);

    ShellLinkInfo read;
    std::vector<wchar_t> buffer(kPathBuffer, L'\0');
    WIN32_FIND_DATAW findData{};
    hr = link_->GetPath(buffer.data(), kPathBuffer, &findData, SLGP_UNCPRIORITY);
    if (FAILED(hr)) return Failure(hr, error);
    read.target = UpToNul(buffer);

    buffer.assign(kPathBuffer, L'\0');
    hr = link_->GetArguments(buffer.data(), kPathBuffer);
    if (FAILED(hr)) return Failure(hr, error);
    read.arguments = UpToNul(buffer);

    buffer.assign(kDescriptionBuffer, L'\0');
    hr = link_->GetDescription(buffer.data(), kDescriptionBuffer);
    if (FAILED(hr)) return Failure(hr, error);
    read.description = UpToNul(buffer);

    buffer.assign(kPathBuffer, L'\0');
    hr = link_->GetWorkingDirectory(buffer.data(), kPathBuffer);
    if (FAILED(hr)) return Failure(hr, error);
    read.workingDirectory = UpToNul(buffer);

    buffer.assign(kPathBuffer, L'\0');
    int iconIndex = 0;
    hr = link_->GetIconLocation(buffer.data(), kPathBuffer, &iconIndex);
    if (FAILED(hr)) return Failure(hr, error);
    read.iconLocation = UpToNul(buffer);
    read.iconIndex = iconIndex;

    WORD hotKey = 0;
    hr = link_->GetHotkey(&hotKey);
    if (FAILED(hr)) return Failure(hr, error);
    read.hotKey = hotKey;

    int showCommand = 0;
    hr = link_->GetShowCmd(&showCommand);
    if (FAILED(hr)) return Failure(hr, error);
    read.showCommand = showCommand;

    // '?' is never part of a real path: the object took the link's ANSI path and lost
    // the characters outside the code page (Wine's object does this). The file itself
    // holds the Unicode path, so take the target from there.
    if (read.target.find('?') != std::string::npos) RecoverUnicodeTarget(path, read.target);

    info = read;
    return true;
}

bool Win32ShellLinks::Retarget(const std::string& path, const std::string& newTarget,
                               ShellLinkError& error) {
    HRESULT hr = EnsureLinkObject();
    if (SUCCEEDED(hr)) hr = file_->Load(win::Wide(path).c_str(), STGM_READWRITE);
    if (SUCCEEDED(hr)) hr = link_->SetPath(win::Wide(newTarget).c_str());
    if (SUCCEEDED(hr)) hr = link_->Resolve(nullptr, SLR_UPDATE | SLR_NO_UI);
    if (SUCCEEDED(hr)) hr = file_->Save(nullptr, TRUE);
    if (FAILED(hr)) return Failure(hr, error);
    return true;
}
