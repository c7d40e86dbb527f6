#include "bench/scan/RealScan.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "bench/common/BenchSupport.h"
#include "bench/common/win32/RealRegistry.h"
#include "bench/scan/BenchFiles.h"
#include "bench/scan/MachineShape.h"
#include "bench/scan/RedirectedRegistry.h"
#include "bench/scan/ScanMeasure.h"
#include "bench/scan/TimedPlatform.h"
#include "platform/portable/HostPath.h"
#include "platform/win32/SystemPlatform.h"
#include "platform/win32/WinText.h"

namespace fs = std::filesystem;

namespace {

const char kScratchName[] = "BrivolexScanBench-";

// The names below HKCU\Software that an earlier run left behind.
std::vector<std::string> LeftoverKeys() {
    std::vector<std::string> found;
    HKEY software = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, L"Software", 0, KEY_READ, &software) != ERROR_SUCCESS)
        return found;
    wchar_t name[256];
    for (DWORD index = 0;; ++index) {
        DWORD length = 256;
        if (RegEnumKeyExW(software, index, name, &length, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            break;
        std::string text = win::Narrow(name, length);
        if (text.rfind(kScratchName, 0) == 0) found.push_back(text);
    }
    RegCloseKey(software);
    return found;
}

void RemoveLeftovers() {
    for (const std::string& name : LeftoverKeys()) {
        bool removed = RemoveRealTree("Software\\" + name);
        std::printf("left by an earlier run: HKCU\\Software\\%s, %s\n", name.c_str(),
                    removed ? "removed" : "NOT removed");
    }
    std::error_code ec;
    for (fs::directory_iterator it(fs::path(L"C:\\"), ec), end; !ec && it != end;
         it.increment(ec)) {
        std::string name = hostpath::ToUtf8(it->path().filename());
        if (name.rfind(kScratchName, 0) != 0) continue;
        std::error_code removeError;
        fs::remove_all(it->path(), removeError);
        std::printf("left by an earlier run: C:\\%s, %s\n", name.c_str(),
                    removeError ? "NOT removed" : "removed");
    }
}

// The scratch key and folder, removed however the run ends.
class Scratch {
public:
    explicit Scratch(const std::string& stamp)
        : key("Software\\" + std::string(kScratchName) + stamp),
          files("C:\\" + std::string(kScratchName) + stamp) {}
    ~Scratch() { Remove(); }
    Scratch(const Scratch&) = delete;
    Scratch& operator=(const Scratch&) = delete;

    // True when neither is left.
    bool Remove() {
        if (removed_) return true;
        auto start = BenchClock::now();
        bool removedKey = RemoveRealTree(key);
        std::error_code ec;
        fs::remove_all(hostpath::FromUtf8(files), ec);
        bool removedFiles = !fs::exists(hostpath::FromUtf8(files), ec);
        std::printf("real registry: scratch key HKCU\\%s %s, scratch folder %s %s (%.1f s)\n",
                    key.c_str(), removedKey ? "removed" : "NOT removed", files.c_str(),
                    removedFiles ? "removed" : "NOT removed", Seconds(start));
        removed_ = removedKey && removedFiles;
        return removed_;
    }

    const std::string key;    // below HKCU
    const std::string files;  // on the real drive C:

private:
    bool removed_ = false;
};

// Wine's server writes a changed registry branch to its file (user.reg here, tens of
// megabytes after the machine was made) on a 30-second timer, and answers no registry
// call while it writes. Waiting for that one save keeps it out of the measured rounds;
// the scans change nothing, so no other save follows.
void WaitForWinesSave() {
    const char* config = std::getenv("WINECONFIGDIR");  // "\??\Z:\...\prefix" under Wine
    if (!config) return;
    std::string folder = config;
    if (folder.rfind("\\??\\", 0) == 0) folder = folder.substr(4);
    std::wstring file = win::Wide(folder + "\\user.reg");
    FILETIME made;
    GetSystemTimeAsFileTime(&made);
    auto start = BenchClock::now();
    while (Seconds(start) < 45) {
        WIN32_FILE_ATTRIBUTE_DATA data;
        if (GetFileAttributesExW(file.c_str(), GetFileExInfoStandard, &data) &&
            CompareFileTime(&data.ftLastWriteTime, &made) > 0) {
            std::printf("Wine saved the new keys to user.reg after %.1f s\n", Seconds(start));
            return;
        }
        Sleep(200);
    }
    std::printf("Wine did not save user.reg within 45 s: a save may fall into a measured round\n");
}

// Generates the machine in the scratch key and folder, scans it, prints the figures.
bool ScanScratch(const Scratch& scratch, size_t keys) {
    auto sink = MakeRealRegistrySink(scratch.key);
    PrefixedSink machine(*sink, scratch.key + "\\HKLM"), user(*sink, scratch.key + "\\HKCU");
    machine.CreateKey("");
    user.CreateKey("");
    MachineReferences references(scratch.files);
    auto start = BenchClock::now();
    MachineSize size = GenerateMachine(machine, user, keys, references);
    size_t made = MakeReferencedFiles(
        references, [](const std::string& path) { return hostpath::FromUtf8(path); });
    PrintMachine(size, references, made, Seconds(start));
    WaitForWinesSave();

    std::string appFolder = scratch.files + "\\Brivolex";
    if (!CopyLanguageFiles(hostpath::FromUtf8(appFolder))) return false;

    SystemPlatform system;
    RedirectedRegistry redirected(system.registry, HKCU, scratch.key);
    if (!redirected.IsOpen()) {
        std::printf("real registry: the scratch key's roots could not be opened\n");
        return false;
    }
    Breakdown breakdown;
    TimedRegistry timedRegistry(redirected, breakdown);
    TimedFileSystem timedFiles(system.files, breakdown);
    TimedProfile timedProfile(system.profile, breakdown);
    Platform plain{redirected,    system.files,  system.profile, system.clock,
                   system.locale, system.system, system.prompts, system.links};
    Platform timed{timedRegistry, timedFiles,    timedProfile,   system.clock,
                   system.locale, system.system, system.prompts, system.links};
    // Two rounds, the best of each counted: the first scan right after the machine was
    // made pays for Wine's cold caches (the server's, the paths' lookups of the file
    // tests), which the walk after it would not; more would only repeat the second.
    ScanFigures figures = MeasureScan(plain, timed, breakdown, appFolder, 2);
    PrintScanFigures(figures, 2);
    return figures.prepared;
}

}  // namespace

bool ScanRealRegistry(size_t keys) {
    std::printf(
        "== real registry (advapi32 through Wine), real files (kernel32), profile functions\n"
        "   The machine is generated below one scratch key, HKCU\\Software\\%s<n>, and the\n"
        "   scan's predefined roots are sent there (HKLM and HKCU to its HKLM and HKCU keys,\n"
        "   HKCR to its HKLM\\SOFTWARE\\Classes): the whole scan driver runs, every call goes\n"
        "   to the real registry with the scanner's own key paths, and no key is written to\n"
        "   the places a scan reads. Files go to C:\\%s<n>. Both are removed afterwards.\n",
        kScratchName, kScratchName);
    RemoveLeftovers();
    std::string stamp = std::to_string(BenchClock::now().time_since_epoch().count() % 100000000);
    Scratch scratch(stamp);
    bool scanned = ScanScratch(scratch, keys);
    bool removed = scratch.Remove();
    return scanned && removed;
}
