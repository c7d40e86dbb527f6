#pragma once
// Shell links through the shell's own link object (IShellLinkW and IPersistFile of
// CLSID_ShellLink). One object is created on first use and serves every read and
// every retarget for the life of the backend; failures carry its HRESULT.
#include <shobjidl.h>

#include "platform/ShellLinks.h"
#include "platform/win32/ComPtr.h"

class Win32ShellLinks : public ShellLinks {
public:
    Win32ShellLinks() = default;
    Win32ShellLinks(const Win32ShellLinks&) = delete;
    Win32ShellLinks& operator=(const Win32ShellLinks&) = delete;

    bool Read(const std::string& path, ShellLinkInfo& info, ShellLinkError& error) override;
    bool Retarget(const std::string& path, const std::string& newTarget,
                  ShellLinkError& error) override;

private:
    HRESULT EnsureLinkObject();

    // Declared first so that COM is left only after the pointers are released.
    win::ComApartment com_;
    win::ComPtr<IShellLinkW> link_;
    win::ComPtr<IPersistFile> file_;
};

// The description of a failing HRESULT: the system's message for it without the
// line break that ends it, or "Automation error" when the system has none.
std::string ComErrorDescription(HRESULT hr);
