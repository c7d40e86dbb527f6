#include "core/SystemFolders.h"

#include <cstdio>
#include <iterator>

#include "core/App.h"
#include "core/Errors.h"
#include "core/Logs.h"
#include "scan/RegistryRead.h"

namespace {

const char kShellFolders[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

// The buffer of the path conversions: a count of 260 or more means it did not fit.
constexpr uint32_t kPathBufferChars = 260;

// Looks a folder up under one hive's Shell Folders. Each step that fails is skipped
// and the next one still runs, so the result line is written whatever happened.
std::string ShellFolder(App& app, RegKey hive, const char* procedure, const char* resultPrefix,
                        const std::string& valueName) {
    std::string path;
    try {
        WriteTrace(app, procedure);
    } catch (...) {
    }
    try {
        path = GetRegistryValue(app, hive, kShellFolders, valueName);
    } catch (...) {
    }
    try {
        WriteTrace(app, resultPrefix + path);
    } catch (...) {
    }
    return path;
}

using PathConversion = uint32_t (SystemInfo::*)(const std::string&, uint32_t, std::string&);

std::string ConvertPath(App& app, const char* procedure, PathConversion convert,
                        const std::string& path) {
    try {
        WriteTrace(app, procedure);
        std::string converted;
        uint32_t count = (app.os.system.*convert)(path, kPathBufferChars, converted);
        if (count >= 1 && count < kPathBufferChars) return converted;
        return path;
    } catch (...) {
        return path;
    }
}

// `number` in decimal with leading zeros up to `digits`; longer numbers in full.
std::string Padded(uint16_t number, int digits) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%0*u", digits, static_cast<unsigned>(number));
    return buffer;
}

}  // namespace

std::string GetSpecialFolder(App& app, const std::string& valueName) {
    return ShellFolder(app, HKCU, "GetSpecialFolder", "GetSpecialFolderreturn: ", valueName);
}

std::string GetSpecialFolderAllusers(App& app, const std::string& valueName) {
    return ShellFolder(app, HKLM, "GetSpecialFolderAllusers",
                       "GetSpecialFolderAllusers return: ", valueName);
}

std::string LongPathName(App& app, const std::string& path) {
    return ConvertPath(app, "LongPathName", &SystemInfo::LongPathName, path);
}

std::string ShortPathName(App& app, const std::string& path) {
    return ConvertPath(app, "ShortPathName", &SystemInfo::ShortPathName, path);
}

void GWSF(App& app) {
    try {
        WriteTrace(app, "GWSF");
        app.SystemFolder = app.os.system.SystemDirectory();
        WriteTrace(app, "GWSF return: " + app.SystemFolder);
    } catch (...) {
        app.SystemFolder.clear();
    }
}

void GWF(App& app) {
    try {
        WriteTrace(app, "GWF");
        app.TempFolder = app.os.system.TempPath();
        // A temporary folder in 8.3 form is kept in its long form, final "\" included.
        app.TempFolder = LongPathName(app, app.TempFolder);
        WriteTrace(app, "GWF return 1: " + app.TempFolder);
        app.WindowsFolder = app.os.system.WindowsDirectory();
        WriteTrace(app, "GWF return 2: " + app.WindowsFolder);
    } catch (...) {
        app.WindowsFolder.clear();
    }
}

void GetProgramFilesFolder(App& app) {
    try {
        WriteTrace(app, "GetProgramFilesFolder");
        app.ProgramFilesFolder = app.os.system.ProgramFilesDirectory();
    } catch (...) {
    }
}

int32_t GetInternalWindowsVersion(App& app) {
    try {
        OsVersionInfo v;
        if (!app.os.system.GetVersion(v)) throw RuntimeError(kErrInvalidCall);
        if (v.major == 4 && v.minor == 0) return v.platformId == 1 ? 1 : 3;
        if (v.major == 4 && v.minor == 10) return 2;
        if (v.major == 4 && v.minor == 90) return 6;
        if (v.major == 5 && v.minor == 0) return 4;
        if (v.major == 5 && v.minor == 1) return 5;
        if (v.major == 6 && v.minor == 0) return 7;
        return 0;
    } catch (...) {
        ReportError(app, "GetInternalWindowsVersion", CurrentError());
        return 0;
    }
}

std::string GetWindowsVersionName(int32_t version) {
    // Indexed by the version number; 0 and anything outside the table has no name.
    static const char* const kNames[] = {"",           "Windows 95",   "Windows 98",
                                         "Windows NT", "Windows 2000", "Windows XP",
                                         "Windows ME", "Windows Vista"};
    if (version < 0 || version >= static_cast<int32_t>(std::size(kNames))) return "";
    return kNames[version];
}

std::string FileVersionNo(App& app, const std::string& path) {
    std::string text;
    try {
        uint32_t resourceSize = 0;
        FileVersionParts v;
        bool hasRoot = app.os.system.FileVersion(path, resourceSize, v);
        if (resourceSize == 0 || !hasRoot) return "";
        text += std::to_string(v.major) + ".";
        text += Padded(v.minor, 2) + ".";
        if (v.build != 0) {
            text += Padded(v.build, 4) + ".";
            text += Padded(v.revision, 2);
        } else {
            text += Padded(v.revision, 4);
        }
        return text;
    } catch (...) {
        ErrInfo error = CurrentError();
        WriteTrace(
            app, "FileVersionNo: Error " + std::to_string(error.number) + ", " + error.description);
        return text;
    }
}

void LogFileVersion(App& app, const std::string& fileName) {
    try {
        std::string path = app.SystemFolder + "\\" + fileName;
        WriteTrace(app, fileName + ": " + FileVersionNo(app, path));
    } catch (...) {
    }
}
