#include "bench/offline/SystemShape.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

class Random {
public:
    explicit Random(uint64_t seed) : state_(seed) {}
    uint32_t Next() {
        state_ = state_ * 6364136223846793005ull + 1442695040888963407ull;
        return static_cast<uint32_t>(state_ >> 33);
    }
    bool Chance(uint32_t percent) { return Next() % 100 < percent; }
    uint32_t Below(uint32_t n) { return Next() % n; }
    template <size_t N>
    const char* Pick(const char* const (&items)[N]) {
        return items[Below(N)];
    }
    std::string Guid() {
        char text[40];
        std::snprintf(text, sizeof text, "{%08x-%04x-%04x-%04x-%04x%08x}", Next(), Next() & 0xFFFF,
                      Next() & 0xFFFF, Next() & 0xFFFF, Next() & 0xFFFF, Next());
        return text;
    }
    std::string Bytes(size_t count) {
        std::string bytes(count, '\0');
        for (char& b : bytes) b = static_cast<char>(Next() & 0xFF);
        return bytes;
    }

private:
    uint64_t state_;
};

std::string Hex(uint32_t n, int digits) {
    char text[16];
    std::snprintf(text, sizeof text, "%0*X", digits, n);
    return text;
}

std::string Lower(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

std::string MultiText(const std::vector<std::string>& items) {
    std::string joined;
    for (const std::string& item : items) joined += item + '\0';
    return joined;
}

// Writes and counts.
class Writer {
public:
    Writer(InMemoryRegistry& registry, SystemSize& size) : registry_(registry), size_(size) {}

    std::string Key(const std::string& parent, const std::string& name) {
        std::string path = parent.empty() ? name : parent + "\\" + name;
        registry_.CreateKey(HKLM, path);
        ++size_.keys;
        return path;
    }
    void Put(const std::string& key, const std::string& name, const RegValue& value) {
        registry_.PutValue(HKLM, key, name, value);
        ++size_.values;
        size_.valueBytes += RegValueToBytes(value).size();
    }
    void Text(const std::string& key, const std::string& name, const std::string& text) {
        Put(key, name, RegString(text));
    }
    void Expand(const std::string& key, const std::string& name, const std::string& text) {
        Put(key, name, RegString(text, REG_EXPAND_SZ_));
    }
    void Multi(const std::string& key, const std::string& name,
               const std::vector<std::string>& items) {
        Put(key, name, RegString(MultiText(items), REG_MULTI_SZ_));
    }
    void Dword(const std::string& key, const std::string& name, uint32_t n) {
        Put(key, name, RegDword(n));
    }
    void Binary(const std::string& key, const std::string& name, const std::string& bytes,
                uint32_t type = REG_BINARY_) {
        Put(key, name, RegBinary(bytes, type));
    }
    size_t Keys() const { return size_.keys; }

private:
    InMemoryRegistry& registry_;
    SystemSize& size_;
};

const char* const kStems[] = {"Acpi", "Ndis", "Usb",  "Hid",   "Stor", "Net",  "Wmi", "Bth",
                              "Audio", "Disk", "Vol", "Pci",   "Wdf",  "Tcp",  "Sec", "Crypt",
                              "Dhcp", "Dns",  "Lanman", "Print", "Shell", "Time", "Wlan", "Sens"};
const char* const kGroups[] = {"Boot Bus Extender", "System Bus Extender", "SCSI miniport",
                               "NDIS", "PNP_TDI", "Base", "FSFilter Activity Monitor",
                               "Keyboard Port", "Pointer Port", "Video"};
const char* const kDepends[] = {"RpcSs", "Tcpip", "Afd", "NSI", "Ndisuio", "SamSS", "PlugPlay",
                                "EventLog", "nsiproxy", "FltMgr"};
const char* const kPrivileges[] = {"SeChangeNotifyPrivilege", "SeImpersonatePrivilege",
                                   "SeCreateGlobalPrivilege", "SeAuditPrivilege",
                                   "SeTcbPrivilege", "SeLoadDriverPrivilege"};
const char* const kAccounts[] = {"LocalSystem", "NT AUTHORITY\\LocalService",
                                 "NT AUTHORITY\\NetworkService"};
const char* const kBuses[] = {"PCI", "USB", "HID", "ROOT", "SWD", "ACPI", "STORAGE", "DISPLAY",
                              "HDAUDIO", "BTHENUM"};
const char* const kVendors[] = {"Contoso", "Fabrikam", "Northwind", "Litware", "Adatum",
                                "Tailspin", "Wingtip"};

class SystemGenerator {
public:
    SystemGenerator(InMemoryRegistry& registry, SystemSize& size, uint64_t seed)
        : w_(registry, size), r_(seed), size_(size) {}

    void Run(size_t target) {
        w_.Key("", "SYSTEM");
        Fixed();
        const std::string set = w_.Key("SYSTEM", "ControlSet001");
        const std::string services = w_.Key(set, "Services");
        const std::string control = w_.Key(set, "Control");
        const std::string classes = w_.Key(control, "Class");
        const std::string enumRoot = w_.Key(set, "Enum");
        const std::string deviceClasses = w_.Key(control, "DeviceClasses");
        Control(control);
        for (size_t i = 0; i < 60; ++i) classGuids_.push_back(r_.Guid());
        for (size_t i = 0; i < 80; ++i) interfaceGuids_.push_back(r_.Guid());
        for (const char* bus : kBuses) buses_.push_back(w_.Key(enumRoot, bus));
        // A Windows has several hundred services, each with a few subkeys, and event
        // log sources by the hundred; most keys describe its devices.
        const size_t serviceCount = std::max<size_t>(1, std::min<size_t>(1000, target / 30));
        while (size_.services < serviceCount) Service(services, size_.services++);
        EventLog(services, target / 25);
        while (w_.Keys() < target * 60 / 100) Device(size_.devices++);
        for (size_t n = 0; w_.Keys() < target * 85 / 100; ++n)
            DeviceInterface(deviceClasses, n % interfaceGuids_.size(), n);
        for (size_t c = 0; w_.Keys() < target; c = (c + 1) % classGuids_.size()) DriverClass(classes, c);
    }

private:
    void Fixed() {
        const std::string select = w_.Key("SYSTEM", "Select");
        for (const char* name : {"Current", "Default", "LastKnownGood"}) w_.Dword(select, name, 1);
        w_.Dword(select, "Failed", 0);
        const std::string setup = w_.Key("SYSTEM", "Setup");
        w_.Text(setup, "CmdLine", "setup -newsetup");
        w_.Dword(setup, "SetupType", 0);
        w_.Dword(setup, "SystemSetupInProgress", 0);
        const std::string mounted = w_.Key("SYSTEM", "MountedDevices");
        for (char letter : std::string("CDE"))
            w_.Binary(mounted, std::string("\\DosDevices\\") + letter + ":", r_.Bytes(12));
        for (int i = 0; i < 8; ++i)
            w_.Binary(mounted, "\\??\\Volume" + r_.Guid(), r_.Bytes(24 + 4 * r_.Below(40)));
    }

    void Control(const std::string& control) {
        const std::string name = w_.Key(w_.Key(control, "ComputerName"), "ComputerName");
        w_.Text(name, "ComputerName", "BENCH-PC");
        const std::string session = w_.Key(control, "Session Manager");
        w_.Multi(session, "BootExecute", {"autocheck autochk *"});
        const std::string environment = w_.Key(session, "Environment");
        w_.Expand(environment, "Path",
                  "%SystemRoot%\\system32;%SystemRoot%;%SystemRoot%\\System32\\Wbem;"
                  "%SYSTEMROOT%\\System32\\WindowsPowerShell\\v1.0\\");
        w_.Expand(environment, "TEMP", "%SystemRoot%\\TEMP");
        w_.Text(environment, "OS", "Windows_NT");
        w_.Dword(environment, "NUMBER_OF_PROCESSORS", 2);
        // The application compatibility cache: one value far larger than a cell.
        const std::string cache = w_.Key(session, "AppCompatCache");
        w_.Binary(cache, "AppCompatCache", r_.Bytes(48 * 1024));
    }

    void Service(const std::string& services, size_t i) {
        const int kind = static_cast<int>(r_.Below(10));
        const bool driver = kind < 6, shared = kind >= 8;
        std::string stem = r_.Pick(kStems);
        std::string name = stem + (driver ? "drv" : "svc") + std::to_string(i);
        const std::string key = w_.Key(services, name);
        const std::string file = Lower(name);
        w_.Dword(key, "Type", driver ? (kind == 5 ? 2 : 1) : (shared ? 32 : 16));
        const uint32_t driverStarts[] = {0, 1, 3, 4}, serviceStarts[] = {2, 3, 4};
        w_.Dword(key, "Start", driver ? driverStarts[r_.Below(4)] : serviceStarts[r_.Below(3)]);
        w_.Dword(key, "ErrorControl", r_.Below(2));
        if (driver)
            w_.Expand(key, "ImagePath",
                      r_.Chance(70) ? "\\SystemRoot\\System32\\drivers\\" + file + ".sys"
                                    : "System32\\drivers\\" + file + ".sys");
        else if (shared)
            w_.Expand(key, "ImagePath", "%SystemRoot%\\system32\\svchost.exe -k netsvcs -p");
        else
            w_.Expand(key, "ImagePath",
                      r_.Chance(50) ? "\"C:\\Program Files\\" + std::string(r_.Pick(kVendors)) +
                                          "\\" + file + ".exe\" /service"
                                    : "%SystemRoot%\\System32\\" + file + ".exe");
        if (r_.Chance(3))
            w_.Text(key, "DisplayName", "Dienst für Geräte " + std::to_string(i));
        else if (r_.Chance(50))
            w_.Text(key, "DisplayName", "@%SystemRoot%\\system32\\" + file + ".dll,-" +
                                            std::to_string(100 + r_.Below(900)));
        else
            w_.Text(key, "DisplayName", stem + " " + (driver ? "Driver " : "Service ") +
                                            std::to_string(i));
        if (!driver && r_.Chance(70))
            w_.Text(key, "Description", "@%SystemRoot%\\system32\\" + file + ".dll,-" +
                                            std::to_string(200 + r_.Below(900)));
        if (driver && r_.Chance(50)) w_.Text(key, "Group", r_.Pick(kGroups));
        if (driver && r_.Chance(30)) w_.Dword(key, "Tag", 1 + r_.Below(40));
        if (r_.Chance(30)) {
            std::vector<std::string> depends;
            for (uint32_t d = 0, n = 1 + r_.Below(3); d < n; ++d) depends.push_back(r_.Pick(kDepends));
            w_.Multi(key, "DependOnService", depends);
        }
        if (!driver) {
            w_.Text(key, "ObjectName", r_.Pick(kAccounts));
            if (r_.Chance(60)) w_.Binary(key, "FailureActions", r_.Bytes(20 + 8 * 3));
            if (r_.Chance(40)) {
                std::vector<std::string> privileges;
                for (uint32_t p = 0, n = 1 + r_.Below(4); p < n; ++p)
                    privileges.push_back(r_.Pick(kPrivileges));
                w_.Multi(key, "RequiredPrivileges", privileges);
            }
            if (r_.Chance(40)) w_.Dword(key, "ServiceSidType", 1 + r_.Below(2));
            if (r_.Chance(10)) w_.Dword(key, "DelayedAutostart", 1);
        }
        if (shared || r_.Chance(60)) {
            const std::string parameters = w_.Key(key, "Parameters");
            if (shared) {
                w_.Expand(parameters, "ServiceDll", "%SystemRoot%\\System32\\" + file + ".dll");
                w_.Dword(parameters, "ServiceDllUnloadOnStop", 1);
            } else if (!driver) {
                w_.Dword(parameters, "LogLevel", r_.Below(5));
                w_.Expand(parameters, "DataPath", "%ProgramData%\\" + name);
            } else {
                w_.Dword(parameters, "BusType", r_.Below(20));
                if (r_.Chance(60)) {
                    const std::string wdf = w_.Key(parameters, "Wdf");
                    w_.Text(wdf, "KmdfLibraryVersion", "1.15");
                    w_.Dword(wdf, "WdfMajorVersion", 1);
                    w_.Dword(wdf, "WdfMinorVersion", 15);
                }
            }
            if (r_.Chance(3)) Interfaces(parameters);
        }
        if (r_.Chance(50)) w_.Binary(w_.Key(key, "Security"), "Security", r_.Bytes(100 + r_.Below(120)));
        if (driver && r_.Chance(40)) {
            const std::string instances = w_.Key(key, "Enum");
            const uint32_t count = 1 + r_.Below(3);
            for (uint32_t n = 0; n < count; ++n)
                w_.Text(instances, std::to_string(n),
                        "PCI\\VEN_8086&DEV_" + Hex(r_.Below(0x10000), 4) + "\\3&11583659&0&" +
                            Hex(r_.Below(256), 2));
            w_.Dword(instances, "Count", count);
            w_.Dword(instances, "NextInstance", count);
        }
        if (!driver && r_.Chance(25)) {
            const std::string trigger = w_.Key(w_.Key(key, "TriggerInfo"), "0");
            w_.Dword(trigger, "Type", 1 + r_.Below(7));
            w_.Dword(trigger, "Action", 1 + r_.Below(2));
            w_.Binary(trigger, "Guid", r_.Bytes(16));
            w_.Binary(trigger, "Data0", r_.Bytes(8 + r_.Below(40)));
            w_.Dword(trigger, "DataType0", 2);
        }
        if (r_.Chance(5)) {
            const std::string linkage = w_.Key(key, "Linkage");
            w_.Multi(linkage, "Bind", {"\\Device\\" + r_.Guid()});
            w_.Multi(linkage, "Export", {"\\Device\\" + name + "_" + r_.Guid()});
            w_.Multi(linkage, "Route", {"\"" + r_.Guid() + "\""});
        }
        if (!driver && r_.Chance(5)) {
            const std::string performance = w_.Key(key, "Performance");
            w_.Text(performance, "Library", file + "perf.dll");
            w_.Text(performance, "Open", "OpenPerformanceData");
            w_.Text(performance, "Collect", "CollectPerformanceData");
            w_.Text(performance, "Close", "ClosePerformanceData");
        }
    }

    // Sources of the Application, System and Setup logs, spread over the three.
    void EventLog(const std::string& services, size_t sources) {
        const std::string eventLog = w_.Key(services, "EventLog");
        std::vector<std::string> logs;
        for (const char* name : {"Application", "System", "Setup"}) {
            const std::string log = w_.Key(eventLog, name);
            w_.Expand(log, "File", std::string("%SystemRoot%\\System32\\Winevt\\Logs\\") + name + ".evtx");
            w_.Dword(log, "MaxSize", 20971520);
            w_.Dword(log, "Retention", 0);
            logs.push_back(log);
        }
        for (size_t i = 0; i < sources; ++i) {
            const std::string key =
                w_.Key(logs[i % logs.size()], std::string(r_.Pick(kVendors)) + r_.Pick(kStems) + std::to_string(i));
            w_.Expand(key, "EventMessageFile", "%SystemRoot%\\System32\\" + Lower(r_.Pick(kStems)) +
                                                   "msg" + std::to_string(i % 90) + ".dll");
            w_.Dword(key, "TypesSupported", 7);
            if (r_.Chance(30)) w_.Text(key, "ProviderGuid", r_.Guid());
        }
    }

    // A device's interface of one interface class: the interface key, its "#" reference
    // key and that one's Control key.
    void DeviceInterface(const std::string& deviceClasses, size_t g, size_t n) {
        const std::string& guid = interfaceGuids_[g];
        if (interfaceCounts_.size() <= g) interfaceCounts_.resize(g + 1, 0);
        if (interfaceCounts_[g]++ == 0) w_.Key(deviceClasses, guid);
        const std::string bus = kBuses[n % (sizeof kBuses / sizeof kBuses[0])];
        const std::string instance = bus + "\\VEN_" + Hex(r_.Below(0x10000), 4) + "&DEV_" +
                                     Hex(r_.Below(0x10000), 4) + "\\3&11583659&0&" + Hex(static_cast<uint32_t>(n & 0xFFFF), 4);
        std::string name = "##?#" + instance + "#" + guid;
        std::replace(name.begin(), name.end(), '\\', '#');
        const std::string key = w_.Key(deviceClasses + "\\" + guid, name);
        w_.Text(key, "DeviceInstance", instance);
        const std::string reference = w_.Key(key, "#");
        w_.Text(reference, "SymbolicLink", "\\\\?\\" + name.substr(4));
        w_.Dword(w_.Key(reference, "Control"), "Linked", r_.Below(2));
        if (r_.Chance(20)) w_.Binary(w_.Key(reference, "Device Parameters"), "FriendlyName", r_.Bytes(32));
    }

    void Interfaces(const std::string& parameters) {
        const std::string interfaces = w_.Key(parameters, "Interfaces");
        for (int n = 0; n < 3; ++n) {
            const std::string adapter = w_.Key(interfaces, r_.Guid());
            w_.Dword(adapter, "EnableDHCP", 1);
            w_.Text(adapter, "Domain", "");
            w_.Multi(adapter, "IPAddress", {"0.0.0.0"});
            w_.Multi(adapter, "SubnetMask", {"0.0.0.0"});
            w_.Text(adapter, "DhcpIPAddress", "192.168.1." + std::to_string(2 + r_.Below(250)));
            w_.Dword(adapter, "LeaseObtainedTime", r_.Next());
            w_.Binary(adapter, "DhcpInterfaceOptions", r_.Bytes(64 + r_.Below(200)));
        }
    }

    void Device(size_t i) {
        const size_t bus = r_.Below(static_cast<uint32_t>(buses_.size()));
        const std::string vendor = Hex(r_.Below(0x10000), 4), device = Hex(r_.Below(0x10000), 4);
        const std::string hardware = "VEN_" + vendor + "&DEV_" + device + "&SUBSYS_" +
                                     Hex(r_.Next(), 8) + "&REV_" + Hex(r_.Below(256), 2);
        const std::string model = w_.Key(buses_[bus], hardware + "_" + std::to_string(i));
        const uint32_t instances = 1 + (r_.Chance(20) ? r_.Below(3) : 0);
        for (uint32_t n = 0; n < instances; ++n) {
            const std::string key = w_.Key(model, "3&11583659&0&" + Hex(r_.Below(256), 2) + Hex(n, 2));
            const std::string busName = kBuses[bus];
            const std::string cls = classGuids_[r_.Below(static_cast<uint32_t>(classGuids_.size()))];
            w_.Text(key, "DeviceDesc", "@oem" + std::to_string(r_.Below(80)) + ".inf,%dev_" +
                                           Lower(device) + "%;" + r_.Pick(kVendors) + " Device " +
                                           std::to_string(i));
            w_.Multi(key, "HardwareID", {busName + "\\" + hardware, busName + "\\VEN_" + vendor +
                                                                        "&DEV_" + device});
            if (r_.Chance(60))
                w_.Multi(key, "CompatibleIDs",
                         {busName + "\\VEN_" + vendor + "&CC_" + Hex(r_.Below(0x10000), 4),
                          busName + "\\CC_" + Hex(r_.Below(0x100), 2)});
            w_.Text(key, "Service", std::string(r_.Pick(kStems)) + "drv" + std::to_string(r_.Below(500)));
            w_.Text(key, "ClassGUID", cls);
            w_.Text(key, "Driver", cls + "\\" + Hex(r_.Below(40), 4));
            w_.Text(key, "Mfg", std::string("@oem.inf,%mfg%;") + r_.Pick(kVendors));
            w_.Dword(key, "ConfigFlags", 0);
            w_.Dword(key, "Capabilities", r_.Below(0x400));
            w_.Text(key, "ContainerID", r_.Guid());
            if (r_.Chance(50)) w_.Text(key, "LocationInformation", "PCI bus " + std::to_string(r_.Below(8)));
            const std::string parameters = w_.Key(key, "Device Parameters");
            if (r_.Chance(50)) w_.Dword(parameters, "SelectiveSuspendEnabled", r_.Below(2));
            if (r_.Chance(20)) w_.Binary(parameters, "EDID", r_.Bytes(128));
            if (r_.Chance(30)) w_.Binary(w_.Key(key, "LogConf"), "BasicConfigVector", r_.Bytes(72 + 32 * r_.Below(4)));
            Properties(key);
        }
    }

    // Driver properties: each a default value of the property's own type (0xFFFF0000
    // and the property type), below the property set's identifier.
    void Properties(const std::string& device) {
        const std::string properties = w_.Key(device, "Properties");
        for (uint32_t s = 0, sets = 1 + r_.Below(3); s < sets; ++s) {
            const std::string set = w_.Key(properties, r_.Guid());
            uint32_t id = 2 + r_.Below(10);
            for (uint32_t p = 0, count = 1 + r_.Below(3); p < count; ++p, id += 1 + r_.Below(5)) {
                const std::string property = w_.Key(set, Hex(id, 4));
                switch (r_.Below(3)) {
                    case 0:  // a time stamp
                        w_.Binary(property, "", r_.Bytes(8), 0xFFFF0010);
                        break;
                    case 1:  // a string, UTF-16 with its terminator
                        w_.Binary(property, "", std::string("o\0e\0m\0" "1\0" "2\0.\0i\0n\0f\0\0\0", 20),
                                  0xFFFF0012);
                        break;
                    default:  // a number
                        w_.Binary(property, "", r_.Bytes(4), 0xFFFF0007);
                }
            }
        }
    }

    void DriverClass(const std::string& classes, size_t c) {
        const std::string key = classes + "\\" + classGuids_[c];
        if (classCounts_.size() <= c) classCounts_.resize(c + 1, 0);
        if (classCounts_[c] == 0) {
            w_.Key(classes, classGuids_[c]);
            w_.Text(key, "", "Device Class " + std::to_string(c));
            w_.Text(key, "Class", "Class" + std::to_string(c));
            w_.Text(key, "Icon", "-" + std::to_string(1 + r_.Below(30)));
        }
        const std::string instance = w_.Key(key, Hex(classCounts_[c]++, 4));
        ++size_.driverInstances;
        w_.Text(instance, "DriverDesc", std::string(r_.Pick(kVendors)) + " Device");
        w_.Text(instance, "ProviderName", r_.Pick(kVendors));
        w_.Text(instance, "DriverVersion", "10.0." + std::to_string(r_.Below(30000)) + ".1");
        w_.Text(instance, "DriverDate", std::to_string(1 + r_.Below(12)) + "-" +
                                            std::to_string(1 + r_.Below(28)) + "-2021");
        w_.Binary(instance, "DriverDateData", r_.Bytes(8));
        w_.Text(instance, "InfPath", "oem" + std::to_string(r_.Below(80)) + ".inf");
        w_.Text(instance, "InfSection", "Install_" + std::to_string(r_.Below(20)));
        w_.Text(instance, "MatchingDeviceId", "pci\\ven_8086&dev_" + Lower(Hex(r_.Below(0x10000), 4)));
        if (r_.Chance(30)) w_.Dword(w_.Key(instance, "Settings"), "Enabled", 1);
    }

    Writer w_;
    Random r_;
    SystemSize& size_;
    std::vector<std::string> classGuids_, interfaceGuids_, buses_;
    std::vector<uint32_t> classCounts_, interfaceCounts_;
};

}  // namespace

SystemSize GenerateSystem(InMemoryRegistry& registry, size_t targetKeys, uint64_t seed) {
    SystemSize size;
    SystemGenerator(registry, size, seed).Run(targetKeys);
    return size;
}
