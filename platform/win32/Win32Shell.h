#pragma once
#include <windows.h>

#include "platform/Shell.h"

// The common save-file dialog (owned by a window of the program when it has one),
// ShellExecuteW's "open" and CreateProcessW.
class Win32Shell : public Shell {
  public:
    bool ChooseSaveFile(const SaveFileRequest& request, std::string& fileName) override;
    bool OpenDocument(const std::string& path) override;
    bool StartProgram(const std::string& commandLine, int showCommand) override;
    void SetOwner(HWND owner) { owner_ = owner; }

  private:
    HWND owner_ = nullptr;
};
