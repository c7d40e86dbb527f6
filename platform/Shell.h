#pragma once
// What the program asks of the Windows shell: a file name to save to (the common
// save-file dialog), a document opened with the program associated with it, and a
// program started without waiting for it. The Win32 backend does it for real;
// tests script it.
#include <cstdint>
#include <string>

// Flags of the save-file dialog, as Windows numbers them.
constexpr uint32_t kOfnOverwritePrompt = 0x2;
constexpr uint32_t kOfnPathMustExist = 0x800;

// Window show commands, as Windows numbers them.
constexpr int kSwShowNormal = 1;
constexpr int kSwShowMinimized = 2;

struct SaveFileRequest {
    std::string filterName;     // what the file type list shows, e.g. "HTML files (*.htm)"
    std::string filterPattern;  // e.g. "*.htm"
    std::string defaultExtension;
    std::string initialFolder;
    uint32_t flags = 0;
};

class Shell {
  public:
    virtual ~Shell() = default;
    // The file the user chose; false when the dialog was cancelled or failed.
    virtual bool ChooseSaveFile(const SaveFileRequest& request, std::string& fileName) = 0;
    // Opens a document with the shell's "open" verb; false when the shell refused.
    virtual bool OpenDocument(const std::string& path) = 0;
    // Starts a program by its command line without waiting for it; false when it could
    // not be started.
    virtual bool StartProgram(const std::string& commandLine, int showCommand) = 0;
};
