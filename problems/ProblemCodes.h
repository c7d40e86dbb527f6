#pragma once
// The numbers a problem record stores: its type, its status, the check that found it
// and how its registry value names the file. They are written to the logs and the
// JSON output as these numbers, so each name keeps its number for good.
#include <cstdint>

// Problem types (pType).
constexpr int32_t kTypeCured = -1;    // repaired or deleted
constexpr int32_t kTypeRegistry = 0;  // a registry value or key
constexpr int32_t kTypeShortcut = 1;  // a shortcut (.lnk) file
constexpr int32_t kTypeFile = 2;      // a file on disk

// Status codes (pSTATUS).
constexpr int32_t kStatusBrokenLink = 0;      // refers to something that is gone
constexpr int32_t kStatusUnusedFile = 1;      // an old temporary file
constexpr int32_t kStatusWrongUninstall = 2;  // an uninstall entry
constexpr int32_t kStatusWrongHelp = 3;       // a help-file registration
constexpr int32_t kStatusUnusedSuffix = 4;    // a file extension nothing uses
constexpr int32_t kStatusActivex = 5;         // a class or type-library registration

// Check codes (pInternalType): which check found the problem. 2 and 10 to 12 belong
// to no check.
constexpr int32_t kCheckNone = 0;               // not set: shortcut files, old files
constexpr int32_t kCheckHelpFiles = 1;          // Windows\Help and HTML Help lists
constexpr int32_t kCheckAppPaths = 3;           // ...\CurrentVersion\App Paths
constexpr int32_t kCheckUninstall = 4;          // "UninstallString" of ...\Uninstall
constexpr int32_t kCheckRunMachine = 5;         // HKLM ...\CurrentVersion\Run
constexpr int32_t kCheckRunUser = 6;            // HKCU ...\CurrentVersion\Run
constexpr int32_t kCheckFonts = 7;              // Windows\CurrentVersion\Fonts
constexpr int32_t kCheckFontsNt = 8;            // Windows NT\CurrentVersion\Fonts
constexpr int32_t kCheckSharedDlls = 9;         // value names of ...\SharedDLLs
constexpr int32_t kCheckMenuOrder = 13;         // Start-menu MenuOrder entries of HKCU
constexpr int32_t kCheckShellCommand = 14;      // HKCR\Applications ...\shell\<verb>\command
constexpr int32_t kCheckLoneInprocServer = 15;  // a class's only server, InprocServer32
constexpr int32_t kCheckInstallerFolder = 16;   // ...\Installer\Folders
constexpr int32_t kCheckFileExtension = 17;     // FileExts records and HKCR extensions
constexpr int32_t kCheckProgId = 18;            // ProgIDs whose class is registered nowhere
constexpr int32_t kCheckTypeLibrary = 19;       // type-library references of classes and interfaces
constexpr int32_t kCheckArpCache = 20;          // installed-programs cache (ARPCache)
constexpr int32_t kCheckClassServer = 21;       // a class's server subkey, or an empty one
constexpr int32_t kCheckClassIcon = 22;         // a class's DefaultIcon subkey

// Cure methods (pCureMethod): how the registry value names the file.
constexpr int32_t kCureFullPath = 0;  // the value holds the file's path
constexpr int32_t kCureFolder = 1;    // the value holds the file's folder
