#pragma once
// A registry shaped like a real HKEY_CLASSES_ROOT: classes with their server, icon,
// identifier and type-library subkeys, interfaces, type libraries, programmatic
// identifiers and file extensions, with the values such keys hold.
#include <cstddef>
#include <cstdint>
#include <string>

// Where the generated keys go.
class KeySink {
public:
    virtual ~KeySink() = default;
    // Creates a key whose parent exists.
    virtual bool CreateKey(const std::string& path) = 0;
    virtual bool PutString(const std::string& path, const std::string& name,
                           const std::string& text) = 0;
    virtual bool PutDword(const std::string& path, const std::string& name, uint32_t number) = 0;
};

struct GeneratedSize {
    size_t keys = 0;
    size_t values = 0;
    // The names of keys and values and the data (text with its terminator), in bytes
    // of UTF-8: what any registry must hold, whatever its layout.
    size_t nameAndDataBytes = 0;
};

// What the references of the generated values lead to. Without one, file paths are
// stored as generated and every class and type-library reference is a fresh
// identifier that nothing registers; with one, references name the classes and type
// libraries generated beside them except where the policy asks for a broken one.
class ReferencePolicy {
public:
    virtual ~ReferencePolicy() = default;
    // The path to store for a reference to the file `path` (a "C:\..." path).
    virtual std::string File(const std::string& path) = 0;
    // Whether the next class or type-library reference is to lead nowhere.
    virtual bool BreakNext() = 0;
};

// How many entries of each kind. With their subkeys a class takes about 3.8 keys, an
// interface 2.5, a type library 6, an identifier 2.3 and an extension 1.6.
struct ClassesMix {
    size_t classes = 0, interfaces = 0, typeLibs = 0, progIds = 0, extensions = 0;
};
// The shares of a Windows 10 HKCR, mostly classes and interfaces, for about
// `targetKeys` keys.
ClassesMix ClassesMixFor(size_t targetKeys);

// The entries of `mix` below `base` (which must exist), the same ones on every run
// (with or without a policy: only the data of the references differs).
GeneratedSize GenerateClasses(KeySink& sink, const std::string& base, const ClassesMix& mix,
                              ReferencePolicy* references = nullptr);
// About `targetKeys` keys below `base`, shared as ClassesMixFor says.
inline GeneratedSize GenerateClasses(KeySink& sink, const std::string& base, size_t targetKeys,
                                     ReferencePolicy* references = nullptr) {
    return GenerateClasses(sink, base, ClassesMixFor(targetKeys), references);
}
