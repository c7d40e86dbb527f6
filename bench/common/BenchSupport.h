#pragma once
// Pieces the benchmark programs share: a clock, figures with grouped digits, and key
// sinks for the in-memory registry and for a part of another sink.
#include <chrono>
#include <string>

#include "bench/common/ClassesShape.h"
#include "platform/portable/InMemoryRegistry.h"

using BenchClock = std::chrono::steady_clock;

inline double Seconds(BenchClock::time_point from) {
    return std::chrono::duration<double>(BenchClock::now() - from).count();
}

// 1234567 as "1,234,567".
std::string Grouped(double number);

// Keys below one hive of an in-memory registry.
class InMemorySink : public KeySink {
public:
    InMemorySink(InMemoryRegistry& registry, RegKey hive) : registry_(registry), hive_(hive) {}
    bool CreateKey(const std::string& path) override { return registry_.CreateKey(hive_, path); }
    bool PutString(const std::string& path, const std::string& name,
                   const std::string& text) override {
        return registry_.PutValue(hive_, path, name, RegString(text));
    }
    bool PutDword(const std::string& path, const std::string& name, uint32_t number) override {
        return registry_.PutValue(hive_, path, name, RegDword(number));
    }

private:
    InMemoryRegistry& registry_;
    RegKey hive_;
};

// Keys below `prefix` of another sink: paths are given relative to it.
class PrefixedSink : public KeySink {
public:
    PrefixedSink(KeySink& inner, std::string prefix) : inner_(inner), prefix_(std::move(prefix)) {}
    bool CreateKey(const std::string& path) override { return inner_.CreateKey(Full(path)); }
    bool PutString(const std::string& path, const std::string& name,
                   const std::string& text) override {
        return inner_.PutString(Full(path), name, text);
    }
    bool PutDword(const std::string& path, const std::string& name, uint32_t number) override {
        return inner_.PutDword(Full(path), name, number);
    }

private:
    std::string Full(const std::string& path) const {
        return path.empty() ? prefix_ : prefix_ + "\\" + path;
    }
    KeySink& inner_;
    std::string prefix_;
};
