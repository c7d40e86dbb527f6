#include "cli/ProblemOutput.h"

#include <algorithm>
#include <map>
#include <nlohmann/json.hpp>
#include <vector>

#include "core/App.h"
#include "platform/Text.h"
#include "problems/clsItem.h"

namespace {

using nlohmann::ordered_json;

std::string Pad(const std::string& s, size_t width) {
    size_t n = text::CharCount(s);
    return n >= width ? s : s + std::string(width - n, ' ');
}

}  // namespace

ordered_json JsonText(const std::string& text) {
    try {
        (void)ordered_json(text).dump();  // refuses bytes that are not UTF-8
        return text;
    } catch (const ordered_json::type_error&) {
        return text::AnsiToUtf8(text);
    }
}

std::string JsonLayout(const ordered_json& value) {
    std::string out;
    if (value.is_object()) {
        for (const auto& item : value.items())
            out += (out.empty() ? "{" : ", ") + ordered_json(item.key()).dump() + ": " +
                   JsonLayout(item.value());
        return out.empty() ? "{}" : out + "}";
    }
    if (value.is_array()) {
        for (const ordered_json& element : value)
            out += (out.empty() ? "[\n  " : ",\n  ") + JsonLayout(element);
        return out.empty() ? "[]" : out + "\n]";
    }
    return value.dump(-1, ' ', false, ordered_json::error_handler_t::replace);
}

std::string ProblemJson(App& app) {
    ordered_json problems = ordered_json::array();
    for (const ProblemRef& p : app.Problems) {
        problems.push_back({{"UID", JsonText(p->UID())},
                            {"pType", p->pType()},
                            {"pTypeName", JsonText(p->pTypeName(app))},
                            {"pSTATUS", p->pSTATUS},
                            {"pStatusName", JsonText(p->pStatusName(app))},
                            {"pInternalType", p->pInternalType},
                            {"pName", JsonText(p->pName())},
                            {"pDescription", JsonText(p->pDescription)},
                            {"pCureKeyRoot", JsonText(HiveName(p->pCureKeyRoot))},
                            {"pCureKeyName", JsonText(p->pCureKeyName)},
                            {"pCureKeyValueName", JsonText(p->pCureKeyValueName)},
                            {"pCureValueType", p->pCureValueType},
                            {"pCureMissingfile", JsonText(p->pCureMissingfile)},
                            {"pCureFilename", JsonText(p->pCureFilename)},
                            {"pCureMethod", p->pCureMethod}});
    }
    ordered_json result = {{"problems", problems}, {"scanCancelled", app.Scan.ScanCancelled}};
    return JsonLayout(result) + "\n";
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
