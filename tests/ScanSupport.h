#pragma once
// A world to scan in tests: an in-memory registry; drives C: (fixed), A: (removable),
// D: (CD-ROM), N: (network) and R: (RAM disk), each a scratch folder, and no Q:; the
// program's own files in a host folder of their own, so that the image's C: never
// hides them (the scratch folders are on C: under Wine); the clock at 4 December
// 2026, 17:05:09; and a progress window that records what it is shown and can press
// Cancel when a given item comes up.
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "core/ScopedBinding.h"
#include "platform/portable/InMemoryRegistry.h"
#include "platform/portable/SplitFileSystem.h"
#include "problems/clsItem.h"
#include "scan/Progress.h"
#include "scan/ProgressView.h"
#include "tests/TestSupport.h"

namespace testing_support {

constexpr DateTime kNow{2026, 12, 4, 17, 5, 9};
// What WriteProblemLog puts in front of each line at that time.
inline const std::string kProblemLogStamp = "12/4/2026 5:05:09 PM: ";

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
    void DoEvents() override {}

    std::string caption, cancelCaption, counter, problems;
    std::vector<std::string> items;
    bool problemsShown = false;
    int barMaximum = 100, barValue = 0, closed = 0;
    // Presses Cancel as soon as an item for which this returns true is shown.
    std::function<bool(const std::string&)> cancelWhen;

  private:
    App& app_;
};

// Every field of a problem record, to compare a whole record in one assertion.
struct Fields {
    int32_t type, status, check;
    std::string name, uid, description;
    RegKey root;
    std::string key, value, missing, file;
    int32_t method, valueType;
    bool operator==(const Fields&) const = default;
};
Fields FieldsOf(const clsItem& item);
// The problems a case expects: `f` alone when `present`, else none.
inline std::vector<Fields> OneIf(bool present, Fields f) {
    return present ? std::vector<Fields>{std::move(f)} : std::vector<Fields>{};
}
void PrintTo(const Fields& f, std::ostream* os);

struct ScanWorld {
    ScanWorld();
    // The host file a "X:\..." path of the mapped drives stands for, as a host path and
    // as the host helpers (HostFiles.h) address it.
    std::filesystem::path Host(const std::string& windowsPath) const;
    std::string HostPath(const std::string& windowsPath) const {
        return hostpath::ToUtf8(Host(windowsPath));
    }
    // Creates a file (with its folders), a folder, or a shortcut file pointing at
    // `target`, at a "X:\..." path.
    void CreateFile(const std::string& windowsPath, const std::string& bytes = "x") const;
    void CreateFolder(const std::string& windowsPath) const {
        std::filesystem::create_directories(Host(windowsPath));
    }
    void CreateShortcut(const std::string& windowsPath, const std::string& target,
                        const std::string& arguments = "", bool targetIsFolder = false) const;
    void Put(RegKey hive, const std::string& key, const std::string& name,
             const std::string& data) {
        world.registry.PutValue(hive, key, name, RegString(data));
    }
    // The names, or all fields, of the problems found, in order.
    std::vector<std::string> ProblemNames() const {
        std::vector<std::string> names;
        for (const ProblemRef& p : app.Problems) names.push_back(p->pName());
        return names;
    }
    std::vector<Fields> ProblemFields() const {
        std::vector<Fields> all;
        for (const ProblemRef& p : app.Problems) all.push_back(FieldsOf(*p));
        return all;
    }
    std::vector<std::string> Lines(const std::string& name) const {
        return ReadLines(folder.HostFile(name));
    }

    ScratchFolder folder{"app"};
    ScratchFolder drives{"drives"};
    PortableWorld world;
    PortableFileSystem hostFiles;
    SplitFileSystem files{folder.path(), hostFiles, world.files};
    PortableProfile profile{files};
    Platform platform = Using(Using(world.platform, files), profile);
    App app{platform, folder.path()};
    RecordingProgress progress{app};
    ScopedBinding<Events> eventsBinding{app.events, progress};
    ScopedBinding<ProgressView> progressBinding{app.Scan.progress, progress};
};

}  // namespace testing_support
