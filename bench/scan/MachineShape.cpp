#include "bench/scan/MachineShape.h"

#include <cstdio>

namespace {

constexpr size_t kBreakEvery = 100;

const char kCurrentVersion[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";

std::string Number(size_t i) {
    return std::to_string(i);
}

std::string FakeGuid(size_t i) {
    char text[64];
    std::snprintf(text, sizeof text, "{%08zX-1C2D-4E5F-8A9B-%012zX}", i * 2654435761u % 0xFFFFFFFFu,
                  i);
    return text;
}

// Counts what it writes, so that the figures can say what the machine holds.
class Writer {
public:
    Writer(KeySink& sink, MachineSize& size) : sink_(sink), size_(size) {}
    void Key(const std::string& path) {
        sink_.CreateKey(path);
        ++size_.keys;
    }
    void String(const std::string& path, const std::string& name, const std::string& text) {
        sink_.PutString(path, name, text);
        ++size_.values;
    }
    void Dword(const std::string& path, const std::string& name, uint32_t number) {
        sink_.PutDword(path, name, number);
        ++size_.values;
    }

private:
    KeySink& sink_;
    MachineSize& size_;
};

// Where a path's last part begins.
size_t LastPart(const std::string& path) {
    return path.find_last_of('\\') + 1;
}

void Uninstall(Writer& w, MachineReferences& refs, MachineSize& size, size_t count) {
    const std::string top = std::string(kCurrentVersion) + "\\Uninstall";
    w.Key(top);
    for (size_t i = 0; i < count; ++i) {
        bool msi = i % 3 == 0;
        std::string key = top + "\\" + (msi ? FakeGuid(i) : "Vendor Product " + Number(i));
        w.Key(key);
        std::string folder =
            "C:\\Program Files\\Vendor " + Number(i % 400) + "\\Product " + Number(i);
        w.String(key, "DisplayName", "Vendor Product " + Number(i));
        w.String(key, "Publisher", "Vendor " + Number(i % 400));
        w.String(key, "DisplayVersion", "1." + Number(i % 10) + "." + Number(i));
        if (msi) {
            w.String(key, "UninstallString", "MsiExec.exe /X" + FakeGuid(i));
        } else if (i % 3 == 1) {
            w.String(key, "UninstallString",
                     "\"" + refs.File(folder + "\\uninstall.exe") + "\" /S");
        } else {
            w.String(key, "UninstallString", refs.File(folder + "\\unins000.exe"));
        }
        w.String(key, "InstallLocation", folder);
        ++size.uninstallEntries;
    }
}

void RunValues(Writer& w, MachineReferences& refs, MachineSize& size, size_t count) {
    const std::string key = std::string(kCurrentVersion) + "\\Run";
    w.Key(key);
    for (size_t i = 0; i < count; ++i) {
        std::string program =
            "C:\\Program Files\\Tray " + Number(i) + "\\tray" + Number(i) + ".exe";
        // Quoted with a switch, or unquoted with one (found by cutting at blanks).
        w.String(key, "Tray " + Number(i),
                 i % 2 ? "\"" + refs.File(program) + "\" /background"
                       : refs.File(program) + " -minimized");
        ++size.runValues;
    }
}

void Fonts(Writer& w, MachineReferences& refs, MachineSize& size, size_t count) {
    const std::string key = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts";
    w.Key(key);
    for (size_t i = 0; i < count; ++i) {
        std::string file = "font" + Number(i) + ".ttf";
        // Most fonts are named by file name only, which is not tested.
        w.String(key, "Font " + Number(i) + " (TrueType)",
                 i % 4 == 0 ? refs.File("C:\\Windows\\Fonts\\" + file) : file);
        ++size.fontValues;
    }
}

void SharedDlls(Writer& w, MachineReferences& refs, MachineSize& size, size_t count) {
    const std::string key = std::string(kCurrentVersion) + "\\SharedDLLs";
    w.Key(key);
    for (size_t i = 0; i < count; ++i) {
        w.Dword(key,
                refs.File("C:\\Program Files\\Common Files\\Vendor " + Number(i % 300) + "\\lib" +
                          Number(i) + ".dll"),
                static_cast<uint32_t>(1 + i % 4));
        ++size.sharedDllValues;
    }
}

void AppPaths(Writer& w, MachineReferences& refs, MachineSize& size, size_t count) {
    const std::string top = std::string(kCurrentVersion) + "\\App Paths";
    w.Key(top);
    for (size_t i = 0; i < count; ++i) {
        std::string key = top + "\\app" + Number(i) + ".exe";
        w.Key(key);
        std::string folder = "C:\\Program Files\\App " + Number(i);
        w.String(key, "", refs.File(folder + "\\app" + Number(i) + ".exe"));
        w.String(key, "Path", folder);
        ++size.appPaths;
    }
}

void Applications(Writer& w, MachineReferences& refs, MachineSize& size, size_t count) {
    const std::string top = "SOFTWARE\\Classes\\Applications";
    w.Key(top);
    for (size_t i = 0; i < count; ++i) {
        std::string app = top + "\\app" + Number(i) + ".exe";
        w.Key(app);
        w.Key(app + "\\shell");
        std::string program = "C:\\Program Files\\App " + Number(i) + "\\app" + Number(i) + ".exe";
        for (const char* verb : {"open", "edit"}) {
            if (verb[0] == 'e' && i % 3) continue;
            std::string command = app + "\\shell\\" + verb + "\\command";
            w.Key(app + "\\shell\\" + verb);
            w.Key(command);
            w.String(command, "", "\"" + refs.File(program) + "\" \"%1\"");
        }
        ++size.applications;
    }
}

void Helps(Writer& w, MachineReferences& refs, MachineSize& size, size_t count) {
    for (const char* kind : {"Help", "HTML Help"}) {
        const std::string key = std::string("SOFTWARE\\Microsoft\\Windows\\") + kind;
        w.Key(key);
        for (size_t i = 0; i < count; ++i) {
            // The value names the file; its data is the file's folder.
            std::string path = refs.File("C:\\Program Files\\App " + Number(i) + "\\help" +
                                         Number(i) + (kind[1] == 'e' ? ".hlp" : ".chm"));
            size_t cut = LastPart(path);
            w.String(key, path.substr(cut), path.substr(0, cut - 1));
            ++size.helpFiles;
        }
    }
}

void InstallerFolders(Writer& w, MachineReferences& refs, MachineSize& size, size_t count) {
    const std::string key = std::string(kCurrentVersion) + "\\Installer\\Folders";
    w.Key(key);
    for (size_t i = 0; i < count; ++i) {
        w.String(
            key,
            refs.Folder("C:\\Program Files\\Vendor " + Number(i % 400) + "\\Product " + Number(i)) +
                "\\",
            "");
        ++size.installerFolders;
    }
}

void ExtensionRecords(Writer& w, MachineReferences& refs, MachineSize& size, size_t count) {
    const std::string top = std::string(kCurrentVersion) + "\\Explorer\\FileExts";
    w.Key(top);
    for (size_t i = 0; i < count; ++i) {
        std::string record = top + "\\.doc" + Number(i);
        w.Key(record);
        w.Key(record + "\\OpenWithList");
        bool gone = refs.BreakNext();  // an application nothing registers, and no identifier
        w.String(record + "\\OpenWithList", "a",
                 gone ? "gone" + Number(i) + ".exe" : "app" + Number(i % 300) + ".exe");
        w.String(record + "\\OpenWithList", "MRUList", "a");
        if (!gone) {
            w.Key(record + "\\OpenWithProgids");
            w.String(record + "\\OpenWithProgids", "Vendor.Thing" + Number(i) + ".1", "");
        }
        ++size.extensionRecords;
    }
}

// Settings no scan reads: `count` keys in a tree of vendors, products and their
// sections below `top` (which must exist), each with a text and a number.
void Settings(Writer& w, MachineSize& size, const std::string& top, size_t count) {
    constexpr size_t kSectionsPerProduct = 20, kProductsPerVendor = 10;
    std::string vendor, product;
    for (size_t i = 0; i < count; ++i) {
        size_t section = i % kSectionsPerProduct;
        size_t productNumber = i / kSectionsPerProduct;
        if (section == 0) {
            if (productNumber % kProductsPerVendor == 0) {
                vendor = top + "\\Settings Vendor " + Number(productNumber / kProductsPerVendor);
                w.Key(vendor);
            }
            product = vendor + "\\Product " + Number(productNumber % kProductsPerVendor);
            w.Key(product);
        }
        std::string key = product + "\\Section " + Number(section);
        w.Key(key);
        w.String(key, "Setting", "Value of setting " + Number(i));
        w.Dword(key, "Flags", static_cast<uint32_t>(i * 2654435761u));
        ++size.settingKeys;
    }
}

}  // namespace

MachineMix ClassesMachineMix(size_t classKeys) {
    MachineMix mix;
    mix.classes = ClassesMixFor(classKeys);
    return mix;
}

MachineMix Windows11MachineMix() {
    MachineMix mix;
    mix.classes = ClassesMix{40000, 20000, 3000, 5000, 800};
    mix.uninstallEntries = 300;
    mix.machineRunValues = 12;
    mix.userRunValues = 8;
    mix.fontValues = 600;
    mix.sharedDllValues = 2000;
    mix.appPaths = 150;
    mix.applications = 200;
    mix.helpFiles = 50;
    mix.installerFolders = 400;
    mix.extensionRecords = 500;
    mix.machineSettingKeys = 300000;
    mix.userSettingKeys = 160000;
    return mix;
}

std::string MachineReferences::File(const std::string& path) {
    ++references_;
    if (references_ % kBreakEvery == kBreakEvery / 2) {
        ++broken_;
        size_t cut = LastPart(path);
        return Rooted(path.substr(0, cut) + "missing-" + path.substr(cut));
    }
    std::string rooted = Rooted(path);
    files_.insert(rooted);
    return rooted;
}

std::string MachineReferences::Folder(const std::string& path) {
    ++references_;
    if (references_ % kBreakEvery == kBreakEvery / 2) {
        ++broken_;
        return Rooted(path + " (removed)");
    }
    std::string rooted = Rooted(path);
    folders_.insert(rooted);
    return rooted;
}

bool MachineReferences::BreakNext() {
    ++references_;
    bool broken = references_ % kBreakEvery == kBreakEvery / 2;
    if (broken) ++broken_;
    return broken;
}

MachineSize GenerateMachine(KeySink& machine, KeySink& user, const MachineMix& mix,
                            MachineReferences& references) {
    MachineSize size;
    Writer hklm(machine, size), hkcu(user, size);
    // What start-up reads for the Windows version.
    hklm.String("SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", "CurrentVersion", "6.1");

    machine.CreateKey("SOFTWARE\\Classes");
    size.classes = GenerateClasses(machine, "SOFTWARE\\Classes", mix.classes, &references);
    size.keys += size.classes.keys;
    size.values += size.classes.values;

    Uninstall(hklm, references, size, mix.uninstallEntries);
    RunValues(hklm, references, size, mix.machineRunValues);
    RunValues(hkcu, references, size, mix.userRunValues);
    Fonts(hklm, references, size, mix.fontValues);
    SharedDlls(hklm, references, size, mix.sharedDllValues);
    AppPaths(hklm, references, size, mix.appPaths);
    Applications(hklm, references, size, mix.applications);
    Helps(hklm, references, size, mix.helpFiles);
    InstallerFolders(hklm, references, size, mix.installerFolders);
    ExtensionRecords(hkcu, references, size, mix.extensionRecords);
    if (mix.machineSettingKeys) {
        machine.CreateKey("SYSTEM");
        Settings(hklm, size, "SOFTWARE", mix.machineSettingKeys * 2 / 3);
        Settings(hklm, size, "SYSTEM", mix.machineSettingKeys - mix.machineSettingKeys * 2 / 3);
    }
    if (mix.userSettingKeys) {
        user.CreateKey("Software");
        Settings(hkcu, size, "Software", mix.userSettingKeys);
    }
    return size;
}
