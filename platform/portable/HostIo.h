#pragma once
// Opening host files as the portable file system needs it, each in one open, one
// transfer and one close, without the stream library's buffers and locale.
#include <filesystem>
#include <string_view>

// True when the file opens for reading; it is closed again at once.
bool HostOpensForReading(const std::filesystem::path& path);
// Appends the bytes to the file, creating it; opened, written and closed in one call.
bool HostAppend(const std::filesystem::path& path, std::string_view bytes);
