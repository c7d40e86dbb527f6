// Walks a registry of about 200,000 keys shaped like HKEY_CLASSES_ROOT and prints keys
// per second and the memory the in-memory registry takes per key. In the Windows build
// the same walk runs on the real registry too (in a scratch key under HKCU, removed
// afterwards).
//   brivolex_bench [--keys N] [--rounds N]
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include "bench/common/BenchSupport.h"
#include "bench/common/ClassesShape.h"
#include "bench/common/RegistryWalk.h"
#include "bench/registry/CountingAllocator.h"
#include "platform/portable/InMemoryRegistry.h"
#include "platform/portable/RegFile.h"
#ifdef BRIVOLEX_BENCH_REAL_REGISTRY
#include "bench/common/win32/RealRegistry.h"
#endif

namespace {

constexpr double kTargetKeysPerSecond = 2e6;
constexpr double kTargetBytesPerKey = 200;

// The best keys per second of `rounds` walks, and the keys one walk visits.
double BestWalk(Registry& registry, RegKey hive, const std::string& path, int rounds,
                WalkResult& result) {
    double best = 0;
    for (int round = 0; round < rounds; ++round) {
        auto start = BenchClock::now();
        result = WalkAll(registry, hive, path);
        double rate = static_cast<double>(result.keys) / Seconds(start);
        if (rate > best) best = rate;
    }
    return best;
}

const char* Verdict(bool met) { return met ? "met" : "MISSED"; }

}  // namespace

int main(int argc, char** argv) {
    size_t targetKeys = 200000;
    int rounds = 5;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--keys") == 0) targetKeys = std::strtoul(argv[i + 1], nullptr, 10);
        if (std::strcmp(argv[i], "--rounds") == 0) rounds = std::atoi(argv[i + 1]);
    }
    const std::string base = "Software\\BrivolexBench";
    bool allMet = true;

    // In-memory, under HKCU.
    size_t heapBefore = LiveHeapBytes();
#if defined(__GLIBC__)
    size_t mallocBefore = mallinfo2().uordblks;
#endif
    auto start = BenchClock::now();
    auto registry = std::make_unique<InMemoryRegistry>();
    registry->CreateKey(HKCU, base);
    InMemorySink sink(*registry, HKCU);
    GeneratedSize size = GenerateClasses(sink, base, targetKeys);
    double buildSeconds = Seconds(start);
    double heapPerKey = static_cast<double>(LiveHeapBytes() - heapBefore) / size.keys;
    double overheadPerKey =
        static_cast<double>(LiveHeapBytes() - heapBefore - size.nameAndDataBytes) / size.keys;

    std::printf("Registry shaped like HKEY_CLASSES_ROOT: %s keys, %s values, %s bytes of names and data\n",
                Grouped(size.keys).c_str(), Grouped(size.values).c_str(),
                Grouped(size.nameAndDataBytes).c_str());
    WalkResult walk;
    double rate = BestWalk(*registry, HKCU, base, rounds, walk);
    std::printf("in-memory registry: built in %.2f s; full walk %s keys/s (best of %d, %s keys, %s default values)\n",
                buildSeconds, Grouped(rate).c_str(), rounds, Grouped(walk.keys).c_str(),
                Grouped(walk.defaultValues).c_str());
    std::printf("in-memory registry: %.0f bytes per key in all, %.0f bytes per key beyond the names and data\n",
                heapPerKey, overheadPerKey);
#if defined(__GLIBC__)
    double mallocPerKey =
        static_cast<double>(mallinfo2().uordblks - mallocBefore - size.nameAndDataBytes) / size.keys;
    std::printf("in-memory registry: %.0f bytes per key beyond the names and data with the allocator's own overhead (mallinfo2)\n",
                mallocPerKey);
#endif
    bool fast = rate >= kTargetKeysPerSecond, small = overheadPerKey < kTargetBytesPerKey;
    std::printf("targets: walk >= %s keys/s: %s; < %.0f bytes per key: %s\n",
                Grouped(kTargetKeysPerSecond).c_str(), Verdict(fast), kTargetBytesPerKey,
                Verdict(small));
    allMet = allMet && fast && small;

    // The registry file of an offline image: written and read back.
    start = BenchClock::now();
    std::string file = ExportRegFile(*registry, HKCU, base);
    double exportSeconds = Seconds(start);
    InMemoryRegistry reloaded;
    std::string error;
    start = BenchClock::now();
    bool loaded = ImportRegFile(reloaded, file, error);
    double importSeconds = Seconds(start);
    std::printf("registry file of these keys (%s bytes): exported in %.2f s, imported in %.2f s%s\n",
                Grouped(static_cast<double>(file.size())).c_str(), exportSeconds, importSeconds,
                loaded ? "" : (", FAILED: " + error).c_str());
    registry.reset();

    // The same keys as machine classes, walked through the merged HKCR view.
    {
        InMemoryRegistry classes;
        classes.CreateKey(HKLM, "SOFTWARE\\Classes");
        InMemorySink classesSink(classes, HKLM);
        GenerateClasses(classesSink, "SOFTWARE\\Classes", targetKeys);
        classes.CreateKey(HKCU, "Software\\Classes\\.ext1");  // a per-user class to merge
        double viewRate = BestWalk(classes, HKCR, "", rounds, walk);
        std::printf("in-memory registry through the HKEY_CLASSES_ROOT view: full walk %s keys/s\n",
                    Grouped(viewRate).c_str());
    }

#ifdef BRIVOLEX_BENCH_REAL_REGISTRY
    {
        std::string scratch = base + "-" + std::to_string(static_cast<long long>(
                                               BenchClock::now().time_since_epoch().count() % 1000000));
        auto real = MakeRealRegistrySink(scratch);
        start = BenchClock::now();
        GeneratedSize created = GenerateClasses(*real, scratch, targetKeys);
        double createSeconds = Seconds(start);
        auto& registryOfWindows = RealRegistry();
        // One round: under Wine every call is a round trip to the server.
        double realRate = BestWalk(registryOfWindows, HKCU, scratch, 1, walk);
        std::printf("real registry: %s keys created in %.1f s; full walk %s keys/s (one walk, %s keys)\n",
                    Grouped(created.keys).c_str(), createSeconds, Grouped(realRate).c_str(),
                    Grouped(walk.keys).c_str());
        start = BenchClock::now();
        bool removed = RemoveRealTree(scratch);
        std::printf("real registry: scratch key %s in %.1f s\n", removed ? "removed" : "NOT removed",
                    Seconds(start));
    }
#endif
    return allMet ? 0 : 1;
}
