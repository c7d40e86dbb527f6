#pragma once
// A registry shaped like a real HKEY_CLASSES_ROOT: classes with their server, icon,
// identifier and type-library subkeys, interfaces, type libraries, programmatic
// identifiers and file extensions, with the values such keys hold.
#include <cstddef>
#include <string>

// Where the generated keys go.
class KeySink {
public:
    virtual ~KeySink() = default;
    // Creates a key whose parent exists.
    virtual bool CreateKey(const std::string& path) = 0;
    virtual bool PutString(const std::string& path, const std::string& name,
                           const std::string& text) = 0;
};

struct GeneratedSize {
    size_t keys = 0;
    size_t values = 0;
    // The names of keys and values and the data (text with its terminator), in bytes
    // of UTF-8: what any registry must hold, whatever its layout.
    size_t nameAndDataBytes = 0;
};

// About `targetKeys` keys below `base` (which must exist), the same ones on every run.
GeneratedSize GenerateClasses(KeySink& sink, const std::string& base, size_t targetKeys);
