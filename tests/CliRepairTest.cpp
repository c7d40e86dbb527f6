// brivolex-cli repair and restore end to end over the sample machine: the dry run
// changes nothing and names exactly what the run then changes (the registry compared
// key by key and value by value, the drives file by file), nothing of the problems
// not chosen is touched, and the backup restored gives back every saved key byte for
// byte.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <sstream>

#include "platform/Text.h"
#include "platform/portable/RegFile.h"
#include "tests/TestSupport.h"

using namespace testing_support;
namespace fs = std::filesystem;

namespace {

const std::string kRegistry = SourcePath("sample/machine.reg");

// A registry key or value in one comparable form: "hklm\...\key" for a key, the key
// and "|name=data" (as the export writes it) for a value; the classes under their
// merged name.
std::string Canonical(std::string key) {
    key = text::ToLower(key);
    for (const auto& [from, to] : {std::pair<std::string, std::string>{"hkey_local_machine\\software\\classes", "hkcr"},
                                   {"hkey_current_user\\software\\classes", "hkcr"},
                                   {"hkey_local_machine", "hklm"},
                                   {"hkey_current_user", "hkcu"},
                                   {"hkey_users", "hku"}})
        if (key.starts_with(from) && (key.size() == from.size() || key[from.size()] == '\\'))
            return to + key.substr(from.size());
    return key;
}

// Keys and values of a registry export, a continued value joined into one line.
std::map<std::string, std::string> Entries(const std::string& exportBytes) {
    std::u16string units;
    for (size_t i = 2; i + 1 < exportBytes.size(); i += 2)
        units += static_cast<char16_t>(static_cast<unsigned char>(exportBytes[i]) |
                                       (static_cast<unsigned char>(exportBytes[i + 1]) << 8));
    std::istringstream in(text::Utf16ToUtf8(units));
    std::map<std::string, std::string> entries;
    std::string key, pending;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!pending.empty()) line = pending + text::Trim(line);
        pending.clear();
        if (!line.empty() && line.back() == '\\' && line.front() != '[') {
            pending = line.substr(0, line.size() - 1);
            continue;
        }
        if (line.size() > 2 && line.front() == '[') {
            key = Canonical(line.substr(1, line.size() - 2));
            entries[key] = "";
        } else if (!line.empty() && (line.front() == '"' || line.front() == '@')) {
            size_t equals = line.front() == '@' ? 1 : line.find("\"=") + 1;
            std::string name = line.front() == '@' ? "@" : line.substr(1, equals - 2);
            entries[key + "|" + text::ToLower(text::ReplaceAll(text::ReplaceAll(name, "\\\\", "\\"), "\\\"", "\""))] =
                line.substr(equals + 1);
        }
    }
    return entries;
}

std::string ImageExport(const std::string& regFile) {
    InMemoryRegistry registry;
    std::string error;
    EXPECT_TRUE(ImportRegFile(registry, ReadBytes(hostpath::FromUtf8(regFile)), error)) << error;
    return ExportRegistryImage(registry);
}

// Every file below a folder with its size and time of last change (read, a year-old
// file would no longer be one); the content of shortcuts.
std::map<std::string, std::string> Files(const fs::path& root) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        if (!entry.is_regular_file()) continue;
        std::string& file = files[fs::relative(entry.path(), root).generic_string()];
        file = std::to_string(entry.file_size()) + "/" +
               std::to_string(entry.last_write_time().time_since_epoch().count());
        if (entry.path().extension() == ".lnk") file += ReadBytes(entry.path());
    }
    return files;
}

struct Action {
    std::string uid, action, target, newPath, done, error;
};

std::vector<Action> Actions(const std::string& json) {
    std::vector<Action> actions;
    std::istringstream in(json);
    for (std::string line; std::getline(in, line);)
        if (line.rfind("  {\"UID\"", 0) == 0)
            actions.push_back({JsonField(line, "UID"), JsonField(line, "action"), JsonField(line, "target"),
                               JsonField(line, "newPath"), JsonField(line, "done"), JsonField(line, "error")});
    return actions;
}

struct SampleRun {
    SampleRun() : driveC(PrepareSampleMachine(machine)) {
        fs::create_directory(app.HostFile("backup"));
#ifndef _WIN32
        setenv("XDG_DATA_HOME", trash.host().string().c_str(), 1);  // the trash of the test's own
#endif
    }
    CommandResult Cli(std::vector<std::string> args) {
        args.insert(args.end(), {"--app-dir", app.path()});
        return RunBuiltProgram("brivolex-cli", args);
    }
    std::vector<std::string> Image() {
        return {"--registry", kRegistry, "--drive", "C=" + driveC, "--drive", "D=" + machine.File("D") + ",cdrom"};
    }
    // C:\... of the image as the host file below the machine folder.
    std::string HostName(const std::string& imagePath) {
        return "C/" + text::ReplaceAll(imagePath.substr(3), "\\", "/");
    }
    ScratchFolder app{"cli"}, machine{"sample"}, trash{"trash"};
    std::string driveC;
};

std::vector<std::string> Uids(SampleRun& run) {
    std::vector<std::string> args{"scan", "--json"};
    for (const std::string& a : run.Image()) args.push_back(a);
    CommandResult scan = run.Cli(args);
    std::vector<std::string> uids;
    std::istringstream in(scan.output);
    for (std::string line; std::getline(in, line);)
        if (line.rfind("  {\"UID\"", 0) == 0) uids.push_back(JsonField(line, "UID"));
    return uids;
}

TEST(CliRepair, TheDryRunNamesExactlyWhatTheRunChangesAndTheBackupRestoresIt) {
    for (const char* method : {"conservative", "aggressive"}) {
        SCOPED_TRACE(method);
        SampleRun run;
        std::vector<std::string> uids = Uids(run);
        ASSERT_GT(uids.size(), 20u);
        // Every other problem is chosen; the others must come through untouched.
        std::vector<std::string> args = run.Image();
        args.insert(args.begin(), "repair");
        for (const char* a : {"--method", method, "--json", "--choose", "first"}) args.push_back(a);
        args.push_back("--uid");
        std::set<std::string> chosen;
        for (size_t i = 0; i < uids.size(); i += 2) {
            // The test's command line goes through a shell: UIDs it would change are left out.
            if (uids[i].find_first_of("\"$`%!") != std::string::npos || uids[i].back() == '\\') continue;
            args.push_back(uids[i]);
            chosen.insert(uids[i]);
        }
        ASSERT_GT(chosen.size(), 10u);

        const auto filesBefore = Files(run.machine.host());
        const auto appBefore = Files(run.app.host());
        std::vector<std::string> dryArgs = args;
        dryArgs.push_back("--dry-run");
        CommandResult dry = run.Cli(dryArgs);
        ASSERT_EQ(dry.status, 0) << dry.output;
        EXPECT_EQ(Files(run.machine.host()), filesBefore);
        auto appAfter = Files(run.app.host());
        appAfter.erase("app2.log");
        auto appExpected = appBefore;
        appExpected.erase("app2.log");
        EXPECT_EQ(appAfter, appExpected) << "a dry run writes the trace only";

        for (const char* a : {"--backup", "--save-registry"}) args.push_back(a);
        args.push_back(run.app.File("after.reg"));
        CommandResult real = run.Cli(args);
        ASSERT_EQ(real.status, 0) << real.output;

        std::vector<Action> planned = Actions(dry.output), done = Actions(real.output);
        std::vector<Action> backups;
        std::erase_if(done, [&](const Action& a) {
            if (a.action == "back up key") backups.push_back(a);
            return a.action == "back up key";
        });
        ASSERT_EQ(planned.size(), done.size()) << dry.output << real.output;
        std::set<std::string> acted;
        for (size_t i = 0; i < planned.size(); ++i) {
            EXPECT_EQ(planned[i].uid + planned[i].action + planned[i].target + planned[i].newPath + planned[i].done,
                      done[i].uid + done[i].action + done[i].target + done[i].newPath + done[i].done);
            EXPECT_EQ(done[i].done, "true") << done[i].target << ": " << done[i].error;
            EXPECT_TRUE(chosen.count(done[i].uid)) << done[i].uid;
            acted.insert(done[i].uid);
        }
        EXPECT_EQ(acted, chosen);

        // The registry: what is gone or changed is exactly what the actions name.
        const auto before = Entries(ImageExport(kRegistry));
        const auto after = Entries(ReadBytes(run.app.HostFile("after.reg")));
        std::map<std::string, std::string> expected = before;
        for (const Action& a : done) {
            std::string target = Canonical(a.target);
            if (a.action == "delete key" || a.action == "delete key and subkeys") {
                std::erase_if(expected, [&](const auto& e) {
                    return e.first == target || e.first.starts_with(target + "\\") || e.first.starts_with(target + "|");
                });
            } else if (a.action == "delete value" || a.action == "change value") {
                // The value's key is the longest key of the export the target starts with.
                std::string key;
                for (const auto& e : before)
                    if (e.first.find('|') == std::string::npos && target.starts_with(e.first + "\\") &&
                        e.first.size() > key.size())
                        key = e.first;
                std::string entry = key + "|" + target.substr(key.size() + 1);
                ASSERT_TRUE(expected.count(entry)) << entry;
                if (a.action == "delete value") expected.erase(entry);
                else expected[entry] = "\"" + text::ReplaceAll(text::ToLower(a.newPath), "\\", "\\\\") + "\"";
            }
        }
        for (auto& [entry, data] : expected) (void)entry, data = text::ToLower(data);
        auto lowerAfter = after;
        for (auto& [entry, data] : lowerAfter) (void)entry, data = text::ToLower(data);
        EXPECT_EQ(lowerAfter, expected);

        // The drives: the recycled files are gone, the retargeted shortcuts point anew.
        auto filesAfter = Files(run.machine.host());
        auto filesExpected = filesBefore;
        for (const Action& a : done) {
            if (a.action == "recycle file") {
                EXPECT_EQ(filesExpected.erase(run.HostName(a.target)), 1u) << a.target;
            }
            if (a.action != "retarget shortcut") continue;
            std::string link = run.HostName(a.target);
            filesExpected[link] = filesAfter[link];
            CommandResult read = RunBuiltProgram("brivolex-cli", {"shortcut", "--json", run.machine.File(text::ReplaceAll(link, "/", "\\"))});
            EXPECT_EQ(JsonField(read.output.substr(read.output.find('{')), "target"), a.newPath);
        }
        EXPECT_EQ(filesAfter, filesExpected);

        // The backup, restored into the repaired registry, gives back each saved key.
        ASSERT_FALSE(backups.empty());
        std::vector<std::string> restore{"restore", "--registry", run.app.File("after.reg"), "--save-registry",
                                         run.app.File("restored.reg")};
        for (const Action& b : backups) restore.push_back(b.newPath);
        CommandResult restored = run.Cli(restore);
        ASSERT_EQ(restored.status, 0) << restored.output;
        InMemoryRegistry original, back;
        std::string error;
        ASSERT_TRUE(ImportRegFile(original, ReadBytes(hostpath::FromUtf8(kRegistry)), error));
        ASSERT_TRUE(ImportRegFile(back, ReadBytes(run.app.HostFile("restored.reg")), error));
        for (const Action& b : backups) {
            RegKey hive = 0;
            size_t cut = b.target.find('\\');
            ASSERT_TRUE(ParseHiveName(b.target.substr(0, cut), hive));
            EXPECT_EQ(ExportRegFile(back, hive, b.target.substr(cut + 1)),
                      ExportRegFile(original, hive, b.target.substr(cut + 1)))
                << b.target;
        }
    }
}

TEST(CliRepair, AFileThatMayNotBeDeletedFailsAloneAndTheExitStatusSaysSo) {
    SampleRun run;
    std::vector<std::string> args = run.Image();
    args.insert(args.begin(), "repair");
    for (const char* a : {"--all", "--method", "aggressive", "--json"}) args.push_back(a);
    const std::string locked = "C:\\Users\\Sample\\Desktop\\Old Game.lnk";
    fs::permissions(run.machine.HostFile(run.HostName(locked)),
                    fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write, fs::perm_options::remove);
    CommandResult result = run.Cli(args);
    EXPECT_EQ(result.status, 1);
    int failed = 0, doneAfter = 0;
    bool seen = false;
    for (const Action& a : Actions(result.output)) {
        if (a.target == locked) {
            seen = true;
            EXPECT_EQ(a.done + ": " + a.error, "false: read-only or system file");
        } else {
            failed += a.done != "true";
            doneAfter += seen && a.done == "true";
        }
    }
    EXPECT_TRUE(seen);
    EXPECT_EQ(failed, 0);
    EXPECT_GT(doneAfter, 20) << "the run goes on after the failure";
    EXPECT_TRUE(Exists(run.machine.HostFile(run.HostName(locked))));
    size_t chosen = result.output.find("\"chosen\": ");
    ASSERT_NE(chosen, std::string::npos);
    int count = std::stoi(result.output.substr(chosen + 10));
    EXPECT_NE(result.output.find("\"repaired\": " + std::to_string(count - 1) + ","), std::string::npos);
}

TEST(CliRepair, BadUsageExitsWithTwo) {
    ScratchFolder appDir("cli");
    const std::string app = appDir.path();
    const std::vector<std::string> cases[] = {
        {"repair", "--registry", kRegistry, "--app-dir", app},
        {"repair", "--registry", kRegistry, "--all", "--uid", "x", "--app-dir", app},
        {"repair", "--registry", kRegistry, "--all", "--method", "gentle", "--app-dir", app},
        {"repair", "--registry", kRegistry, "--all", "--choose", "last", "--app-dir", app},
        {"repair", "--registry", kRegistry, "--all", "--write", "--app-dir", app},
        {"repair", "--windows", app, "--all", "--app-dir", app},
        {"repair", "--registry", kRegistry, "--all", "--dry-run", "--save-registry", appDir.File("o.reg")},
        {"repair", "--registry", kRegistry, "--uid", "registry_nothing_here", "--app-dir", app},
        {"restore", "--app-dir", app},
        {"restore", "--registry", kRegistry, appDir.File("b.reg"), "--app-dir", app},
    };
    for (const auto& args : cases) {
        auto run = RunBuiltProgram("brivolex-cli", args);
        EXPECT_EQ(run.status, 2) << args[args.size() - 3] << " " << args[args.size() - 2];
        EXPECT_EQ(run.output, "");
    }
}

}  // namespace
