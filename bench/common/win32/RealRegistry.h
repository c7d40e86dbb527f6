#pragma once
// The real registry for the benchmark: keys generated below HKCU\<scratch> through
// advapi32, walked through Win32Registry, and removed again.
#include <memory>
#include <string>

#include "bench/common/ClassesShape.h"
#include "platform/Registry.h"

// A sink that creates HKCU\<scratch> and the keys below it.
std::unique_ptr<KeySink> MakeRealRegistrySink(const std::string& scratch);
Registry& RealRegistry();
// Removes HKCU\<scratch> with everything below it.
bool RemoveRealTree(const std::string& scratch);
