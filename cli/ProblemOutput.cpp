#include "cli/ProblemOutput.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <vector>

#include "core/App.h"
#include "platform/Text.h"
#include "problems/clsItem.h"

namespace {

bool IsValidUtf8(const std::string& s) {
    size_t i = 0;
    while (i < s.size()) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        size_t extra = c < 0x80 ? 0 : (c & 0xE0) == 0xC0 && c >= 0xC2 ? 1 : (c & 0xF0) == 0xE0 ? 2
                                  : (c & 0xF8) == 0xF0 && c <= 0xF4 ? 3 : 99;
        if (extra == 99 || i + extra >= s.size() + (extra == 0 ? 1 : 0)) return false;
        for (size_t k = 1; k <= extra; ++k)
            if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
        i += extra + 1;
    }
    return true;
}

std::string Pad(const std::string& s, size_t width) {
    size_t n = text::CharCount(s);
    return n >= width ? s : s + std::string(width - n, ' ');
}

}  // namespace

std::string JsonString(const std::string& input) {
    std::string s = IsValidUtf8(input) ? input : text::AnsiToUtf8(input);
    std::string out = "\"";
    for (unsigned char c : s) {
        switch (c) {
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            default:
                if (c < 0x20 || c == 0x7F) {
                    char buffer[8];
                    std::snprintf(buffer, sizeof buffer, "\\u%04x", c);
                    out += buffer;
                } else {
                    out += static_cast<char>(c);
                }
        }
    }
    return out + "\"";
}

std::string ProblemJson(App& app) {
    std::string out = "{\"problems\": [";
    bool first = true;
    for (const ProblemRef& p : app.Problems) {
        out += first ? "\n" : ",\n";
        first = false;
        out += "  {\"UID\": " + JsonString(p->UID()) +
               ", \"pType\": " + std::to_string(p->pType()) +
               ", \"pTypeName\": " + JsonString(p->pTypeName(app)) +
               ", \"pSTATUS\": " + std::to_string(p->pSTATUS) +
               ", \"pStatusName\": " + JsonString(p->pStatusName(app)) +
               ", \"pInternalType\": " + std::to_string(p->pInternalType) +
               ", \"pName\": " + JsonString(p->pName()) +
               ", \"pDescription\": " + JsonString(p->pDescription) +
               ", \"pCureKeyRoot\": " + JsonString(HiveName(p->pCureKeyRoot)) +
               ", \"pCureKeyName\": " + JsonString(p->pCureKeyName) +
               ", \"pCureKeyValueName\": " + JsonString(p->pCureKeyValueName) +
               ", \"pCureValueType\": " + std::to_string(p->pCureValueType) +
               ", \"pCureMissingfile\": " + JsonString(p->pCureMissingfile) +
               ", \"pCureFilename\": " + JsonString(p->pCureFilename) +
               ", \"pCureMethod\": " + std::to_string(p->pCureMethod) + "}";
    }
    out += first ? "]" : "\n]";
    out += ", \"scanCancelled\": ";
    out += app.Scan.ScanCancelled ? "true" : "false";
    out += "}\n";
    return out;
}

std::string ProblemTable(App& app) {
    struct Row {
        std::string type, category, location, description;
    };
    std::vector<Row> rows;
    rows.push_back({"Type", "Category", "Location", "Description"});
    std::map<int32_t, std::pair<std::string, int>> byStatus;
    for (const ProblemRef& p : app.Problems) {
        rows.push_back({p->pTypeName(app), p->pStatusName(app), p->pName(), p->pDescription});
        auto& entry = byStatus[p->pSTATUS];
        entry.first = p->pStatusName(app);
        ++entry.second;
    }
    size_t typeWidth = 0, categoryWidth = 0, locationWidth = 0;
    for (const Row& r : rows) {
        typeWidth = std::max(typeWidth, text::CharCount(r.type));
        categoryWidth = std::max(categoryWidth, text::CharCount(r.category));
        locationWidth = std::max(locationWidth, text::CharCount(r.location));
    }
    locationWidth = std::min<size_t>(locationWidth, 72);

    std::string out;
    for (size_t i = 0; i < rows.size(); ++i) {
        const Row& r = rows[i];
        out += Pad(r.type, typeWidth) + "  " + Pad(r.category, categoryWidth) + "  " +
               Pad(r.location, locationWidth) + "  " + text::ReplaceAll(r.description, "\r\n", " ") +
               "\n";
        if (i == 0)
            out += std::string(typeWidth, '-') + "  " + std::string(categoryWidth, '-') + "  " +
                   std::string(locationWidth, '-') + "  " + std::string(11, '-') + "\n";
    }
    out += "\n";
    for (const auto& [status, entry] : byStatus)
        out += Pad(entry.first + ":", categoryWidth + 1) + " " + std::to_string(entry.second) + "\n";
    out += "Problems found: " + std::to_string(app.Problems.Count()) + "\n";
    if (app.Scan.ScanCancelled) out += "The scan was cancelled: these are the problems found before.\n";
    return out;
}
