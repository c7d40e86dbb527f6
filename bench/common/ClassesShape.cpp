#include "bench/common/ClassesShape.h"

#include <cstdint>
#include <cstdio>
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
    std::string Guid() {
        char text[40];
        std::snprintf(text, sizeof text, "{%08X-%04X-%04X-%04X-%04X%08X}", Next(), Next() & 0xFFFF,
                      Next() & 0xFFFF, Next() & 0xFFFF, Next() & 0xFFFF, Next());
        return text;
    }

private:
    uint64_t state_;
};

class Generator : public Random {
public:
    Generator(KeySink& sink, GeneratedSize& size)
        : Random(0x9E3779B97F4A7C15ull), sink_(sink), size_(size) {}

    // parent\name, counted once.
    std::string Key(const std::string& parent, const std::string& name) {
        std::string path = parent + "\\" + name;
        sink_.CreateKey(path);
        ++size_.keys;
        size_.nameAndDataBytes += name.size();
        return path;
    }
    void Value(const std::string& path, const std::string& name, const std::string& text) {
        sink_.PutString(path, name, text);
        ++size_.values;
        size_.nameAndDataBytes += name.size() + text.size() + 1;
    }

private:
    KeySink& sink_;
    GeneratedSize& size_;
};

// The identifiers references lead to. Without a policy each reference is a fresh one
// drawn from the generator, as before there were policies; with one the stream of
// the generator is drawn the same (so the keys are the same) and the reference names
// a generated class or type library, or, when the policy says so, an identifier of
// its own that nothing registers.
class Links {
public:
    Links(Generator& g, ReferencePolicy* policy)
        : g_(g), policy_(policy), own_(0x2545F4914F6CDD1Dull) {}

    std::string File(const std::string& path) { return policy_ ? policy_->File(path) : path; }

    std::string Class(const std::vector<std::string>& classes, size_t i) {
        std::string fresh = g_.Guid();
        if (!policy_ || classes.empty()) return fresh;
        return policy_->BreakNext() ? own_.Guid() : classes[i % classes.size()];
    }
    std::string TypeLib(const std::vector<std::string>& libraries) {
        std::string fresh = g_.Guid();
        if (!policy_ || libraries.empty()) return fresh;
        size_t pick = own_.Next() % libraries.size();
        return policy_->BreakNext() ? own_.Guid() : libraries[pick];
    }
    // The identifier of a generated type library.
    std::string LibraryId(const std::vector<std::string>& libraries, size_t i) {
        std::string fresh = g_.Guid();
        return policy_ ? libraries[i] : fresh;
    }
    bool Linked() const { return policy_ != nullptr; }
    Random& Own() { return own_; }

private:
    Generator& g_;
    ReferencePolicy* policy_;
    Random own_;  // draws of the policy's references, apart from the shape's stream
};

}  // namespace

ClassesMix ClassesMixFor(size_t targetKeys) {
    const double unit = static_cast<double>(targetKeys) / 351.3;
    const auto share = [unit](double weight) { return static_cast<size_t>(weight * unit); };
    return ClassesMix{share(48), share(25), share(3), share(28), share(15)};
}

GeneratedSize GenerateClasses(KeySink& sink, const std::string& base, const ClassesMix& mix,
                              ReferencePolicy* references) {
    GeneratedSize size;
    Generator g(sink, size);
    Links links(g, references);
    const size_t classes = mix.classes, interfaces = mix.interfaces, typeLibs = mix.typeLibs,
                 progIds = mix.progIds, extensions = mix.extensions;

    // Linked references need the identifiers before the keys that name them.
    std::vector<std::string> classIds, libraryIds;
    if (links.Linked())
        for (size_t i = 0; i < typeLibs; ++i) libraryIds.push_back(links.Own().Guid());

    std::string clsidRoot = g.Key(base, "CLSID");
    for (size_t i = 0; i < classes; ++i) {
        std::string id = g.Guid();
        if (links.Linked()) classIds.push_back(id);
        std::string key = g.Key(clsidRoot, id);
        g.Value(key, "", "Vendor Component Class " + std::to_string(i));
        std::string server = g.Key(key, "InprocServer32");
        g.Value(server, "",
                links.File("C:\\Windows\\System32\\component" + std::to_string(i % 900) + ".dll"));
        g.Value(server, "ThreadingModel", i % 3 ? "Both" : "Apartment");
        if (g.Chance(20)) {
            std::string local = g.Key(key, "LocalServer32");
            g.Value(
                local, "",
                "\"" +
                    links.File("C:\\Program Files\\Vendor\\app" + std::to_string(i % 50) + ".exe") +
                    "\" /automation");
        }
        if (g.Chance(30))
            g.Value(
                g.Key(key, "DefaultIcon"), "",
                links.File("C:\\Program Files\\Vendor\\app.exe") + ",-" + std::to_string(i % 7));
        if (g.Chance(50))
            g.Value(g.Key(key, "ProgID"), "", "Vendor.Thing" + std::to_string(i) + ".1");
        if (g.Chance(20))
            g.Value(g.Key(key, "VersionIndependentProgID"), "", "Vendor.Thing" + std::to_string(i));
        if (g.Chance(40)) g.Value(g.Key(key, "TypeLib"), "", links.TypeLib(libraryIds));
        if (g.Chance(10)) g.Key(g.Key(key, "Implemented Categories"), g.Guid());
    }
    std::string interfaceRoot = g.Key(base, "Interface");
    for (size_t i = 0; i < interfaces; ++i) {
        std::string key = g.Key(interfaceRoot, g.Guid());
        g.Value(key, "", "IVendorThing" + std::to_string(i));
        g.Value(g.Key(key, "ProxyStubClsid32"), "", "{00020424-0000-0000-C000-000000000046}");
        if (g.Chance(50)) {
            std::string lib = g.Key(key, "TypeLib");
            g.Value(lib, "", links.TypeLib(libraryIds));
            g.Value(lib, "Version", "1.0");
        }
    }
    std::string typeLibRoot = g.Key(base, "TypeLib");
    for (size_t i = 0; i < typeLibs; ++i) {
        std::string version = g.Key(g.Key(typeLibRoot, links.LibraryId(libraryIds, i)), "1.0");
        g.Value(version, "", "Vendor Type Library " + std::to_string(i));
        g.Value(g.Key(g.Key(version, "0"), "win32"), "",
                "C:\\Windows\\System32\\vendor" + std::to_string(i) + ".tlb");
        g.Value(g.Key(version, "FLAGS"), "", "0");
        g.Value(g.Key(version, "HELPDIR"), "", "C:\\Windows\\System32");
    }
    for (size_t i = 0; i < progIds; ++i) {
        std::string key = g.Key(base, "Vendor.Thing" + std::to_string(i) + ".1");
        g.Value(key, "", "Vendor Thing " + std::to_string(i));
        g.Value(g.Key(key, "CLSID"), "", links.Class(classIds, i));
        if (g.Chance(30))
            g.Value(g.Key(key, "CurVer"), "", "Vendor.Thing" + std::to_string(i) + ".2");
    }
    for (size_t i = 0; i < extensions; ++i) {
        std::string key = g.Key(base, ".ext" + std::to_string(i));
        g.Value(key, "", "Vendor.Thing" + std::to_string(i) + ".1");
        g.Value(key, "Content Type", "application/x-vendor-" + std::to_string(i));
        if (g.Chance(50))
            g.Value(g.Key(key, "OpenWithProgids"), "Vendor.Thing" + std::to_string(i) + ".1", "");
        if (g.Chance(10)) g.Value(g.Key(key, "ShellNew"), "NullFile", "");
    }
    return size;
}
