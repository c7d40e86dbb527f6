#pragma once
// A world to scan in tests: an in-memory registry, drive C: in a scratch folder (and
// D: as a CD-ROM), and a progress window that records what it is shown and can press
// Cancel when a given item comes up.
#include <functional>
#include <string>
#include <vector>

#include "platform/portable/InMemoryRegistry.h"
#include "platform/portable/SplitFileSystem.h"
#include "scan/Progress.h"
#include "scan/ProgressView.h"
#include "tests/TestSupport.h"

namespace testing_support {

class RecordingProgress : public ProgressView, public Events {
public:
    explicit RecordingProgress(App& app) : app_(app) {}
    void SetWindowCaption(const std::string& t) override { caption = t; }
    void SetCancelCaption(const std::string& t) override { cancelCaption = t; }
    void SetItemText(const std::string& t) override {
        items.push_back(t);
        if (cancelWhen && cancelWhen(t)) ProgressCancel(app_);
    }
    void SetCounterText(const std::string& t) override { counter = t; }
    void HideProblems() override { problemsShown = false; }
    void ShowProblems(const std::string& t) override {
        problemsShown = true;
        problems = t;
    }
    int BarMaximum() const override { return barMaximum; }
    void SetBarMaximum(int m) override { barMaximum = m; }
    int BarValue() const override { return barValue; }
    void SetBarValue(int v) override { barValue = v; }
    void Close() override { ++closed; }
    void DoEvents() override { ++events; }

    std::string caption, cancelCaption, counter, problems;
    std::vector<std::string> items;
    bool problemsShown = false;
    int barMaximum = 100, barValue = 0, closed = 0, events = 0;
    // Presses Cancel as soon as an item for which this returns true is shown.
    std::function<bool(const std::string&)> cancelWhen;

private:
    App& app_;
};

// The application folder's files go to the host and every other path to the image, so
// that the image's C: never hides the scratch folder (which is on C: under Wine).
struct ScanWorld {
    ScanWorld() {
        std::filesystem::create_directories(driveC.host());
        world.files.MapDrive('C', driveC.path(), kDriveFixed);
        world.files.MapDrive('D', driveD.path(), kDriveCdrom);
        app.WindowsFolder = "C:\\Windows";
        app.ProgramFilesFolder = "C:\\Program Files";
        app.events = &progress;
        app.Scan.progress = &progress;
        app.Scan.ContinueScan = true;
    }
    // Creates a file (and its folders) on drive C:, given by its Windows path.
    void CreateFileOnC(const std::string& windowsPath);
    void CreateFolderOnC(const std::string& windowsPath);
    // The path of a file on drive C: as the host helpers address it.
    std::string HostPathOnC(const std::string& windowsPath) const {
        return driveC.path() + "\\" + windowsPath.substr(3);
    }
    // Writes a shortcut file on drive C: pointing at `target` (a folder when asked).
    void CreateShortcutOnC(const std::string& windowsPath, const std::string& target,
                           const std::string& arguments = "", bool targetIsFolder = false);
    void Put(RegKey hive, const std::string& key, const std::string& name, const std::string& data) {
        world.registry.PutValue(hive, key, name, RegString(data));
    }
    std::vector<std::string> ProblemNames() const;
    std::vector<std::string> Lines(const std::string& name) const {
        return ReadLines(folder.HostFile(name));
    }

    ScratchFolder folder{"app"};
    ScratchFolder driveC{"c"};
    ScratchFolder driveD{"d"};
    PortableWorld world;
    PortableFileSystem hostFiles;
    SplitFileSystem files{folder.path(), hostFiles, world.files};
    PortableProfile profile{files};
    Platform platform{world.registry, files,        profile,
                      world.clock,    world.locale, world.system,
                      world.scriptedPrompts,        world.links};
    App app{platform, folder.path()};
    RecordingProgress progress{app};
};

}  // namespace testing_support
