// The moved-file search of a conservative repair: 100 broken shortcuts whose targets
// moved somewhere below a Windows and a Program Files tree of about 200,000 entries,
// repaired in one run. Prints the time with the trees listed once per run (as the run
// does) against a listing per problem (as a search of each problem on its own would).
//   brivolex_search_bench [--entries N]
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>

#include "bench/common/BenchSupport.h"
#include "bench/scan/BenchFiles.h"
#include "core/App.h"
#include "platform/portable/HostPath.h"
#include "platform/portable/PortableTrash.h"
#include "platform/portable/PortableWorld.h"
#include "problems/clsItem.h"
#include "repair/MovedFileSearch.h"
#include "repair/RepairRun.h"
#include "repair/RepairUi.h"

namespace {

struct FirstChoice : RepairUi {
    bool ShowDeleteError(const std::string&, const std::string&) override { return false; }
    std::string SelectPath(const std::string&, const std::vector<std::string>& c) override { return c.front(); }
    void ShowRepairItem(const std::string&) override {}
    void ShowRepairStatus(const std::string&) override {}
    void AdvanceBar(int) override {}
};

// Folders of 20 files and 10 subfolders, breadth first, until `entries` are made.
void MakeTree(const std::filesystem::path& root, size_t entries) {
    size_t made = 0;
    std::vector<std::filesystem::path> folders{root};
    for (size_t next = 0; made < entries && next < folders.size(); ++next) {
        std::filesystem::create_directories(folders[next]);
        for (int f = 0; f < 20 && made < entries; ++f, ++made)
            std::ofstream(folders[next] / ("file" + std::to_string(made) + ".dll")).put('x');
        for (int d = 0; d < 10 && made < entries; ++d, ++made)
            folders.push_back(folders[next] / ("dir" + std::to_string(made)));
    }
}

// 100 conservative repairs: either the run (the trees listed once) or each problem's
// search on its own (the trees listed again for each).
double Repair(PortableWorld& world, const BenchFolder& app, size_t entries, bool listOnce) {
    App a(world.platform, app.path());
    a.WindowsFolder = "C:\\Windows";
    a.ProgramFilesFolder = "C:\\Program Files";
    std::vector<RepairRow> rows;
    for (size_t i = 0; i < 100; ++i) {
        auto p = std::make_shared<clsItem>();
        p->pType(kTypeShortcut);
        p->pName("C:\\Desk\\" + std::to_string(i) + ".lnk");
        p->pCureFilename = p->pName();
        p->pCureMissingfile = "C:\\Gone\\file" + std::to_string(i * 997 % (entries / 2)) + ".dll";
        a.Problems.Add(p);
        rows.push_back({true, std::to_string(i + 1)});
    }
    FirstChoice ui;
    PortableTrash trash(world.files);
    RepairContext c{a, trash, ui};
    auto start = BenchClock::now();
    if (listOnce) {
        bool running = true;
        RunRepair(c, rows, running);
    } else {
        for (const ProblemRef& p : a.Problems) {
            SearchListings fresh;
            findNewPath(c, fresh, *p);
        }
    }
    return Seconds(start);
}

}  // namespace

int main(int argc, char** argv) {
    size_t entries = 200000;
    for (int i = 1; i + 1 < argc; i += 2)
        if (std::strcmp(argv[i], "--entries") == 0) entries = std::strtoul(argv[i + 1], nullptr, 10);
    BenchFolder app("app"), driveC("c");
    MakeTree(driveC.host() / "Windows", entries / 2);
    MakeTree(driveC.host() / "Program Files", entries / 2);
    PortableWorld world;
    world.files.MapDrive('C', driveC.path(), kDriveFixed);
    setenv("XDG_DATA_HOME", (driveC.host() / "trash").c_str(), 1);
    double perProblem = Repair(world, app, entries, false);
    double once = Repair(world, app, entries, true);
    std::printf("moved-file search, 100 problems over %zu entries: %.2f s listing the trees for each "
                "problem, %.2f s listing them once per run (%.0fx)\n",
                entries, perProblem, once, perProblem / once);
    return 0;
}
