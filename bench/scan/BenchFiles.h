#pragma once
// Folders and files the scan benchmark makes for itself, and removes again.
#include <filesystem>
#include <functional>
#include <string>

#include "bench/scan/MachineShape.h"

// A fresh folder under the system's temporary folder, removed with everything in it.
class BenchFolder {
public:
    explicit BenchFolder(const std::string& tag);
    ~BenchFolder();
    BenchFolder(const BenchFolder&) = delete;
    BenchFolder& operator=(const BenchFolder&) = delete;

    // The folder as the program addresses it (a Windows path in the Windows build).
    const std::string& path() const { return path_; }
    std::filesystem::path host() const;

private:
    std::string path_;
};

// Copies the language files beside the benchmark program into `appFolder`\languages.
bool CopyLanguageFiles(const std::filesystem::path& appFolder);

// Makes every file and folder the references keep; `toHost` gives the host path of a
// reference's path. Returns how many files and folders were made.
size_t MakeReferencedFiles(const MachineReferences& references,
                           const std::function<std::filesystem::path(const std::string&)>& toHost);

// One line that says what the machine holds.
void PrintMachine(const MachineSize& size, const MachineReferences& references, size_t made,
                  double generateSeconds);
