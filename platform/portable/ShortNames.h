#pragma once
// Short (8.3) names in an offline image, which keeps none: "PROGRA~1" is matched to the
// long name Windows would have made it from.
#include <filesystem>
#include <optional>
#include <string>

// The entry of `folder` that the short name `name` stands for; nothing when `name` is no
// generated short name or no entry could have it. `uncertain` is set when the choice
// cannot be proven (several candidates, a number past the first, the hashed form).
std::optional<std::filesystem::path> MatchShortName(const std::filesystem::path& folder,
                                                    const std::string& name, bool& uncertain);
