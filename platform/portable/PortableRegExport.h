#pragma once
// REG's EXPORT command for worlds without Windows: the command line
// REG EXPORT "HIVE\key" file is carried out at once by the in-memory registry's .reg
// writer (UTF-16LE with a byte-order mark, as REG writes), through the file system.
// A key that does not exist writes no file, as REG does. Other programs cannot start.
#include "platform/FileSystem.h"
#include "platform/Processes.h"
#include "platform/Registry.h"

class PortableRegExport : public Processes {
public:
    PortableRegExport(Registry& registry, FileSystem& files) : registry_(registry), files_(files) {}
    bool Start(const std::string& commandLine) override;
    bool WaitForAll(uint32_t) override { return true; }

private:
    Registry& registry_;
    FileSystem& files_;
};
