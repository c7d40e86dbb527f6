#pragma once
// Which account a user profile of an offline Windows installation belongs to.
#include <string>

#include "platform/Registry.h"

// The SID of the profile whose folder is `profileImage` ("C:\Users\NAME"): the subkey of
// HKLM\SOFTWARE\Microsoft\Windows NT\CurrentVersion\ProfileList whose ProfileImagePath
// ("%SystemDrive%\Users\NAME" or "C:\Users\NAME") names that folder, in any letter
// case. A key Windows renamed to "<SID>.bak" counts only when no other matches. False
// with an error when none matches.
bool FindProfileSid(Registry& registry, const std::string& profileImage, std::string& sid,
                    std::string& error);
