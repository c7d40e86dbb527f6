// Editing a Wine registry file to match a repaired registry: the file is parsed with the
// position of each key and value, compared key by key, and rebuilt from the untouched
// stretches of its own text and the few replaced ones.
#include "platform/portable/WineRegFileEdit.h"

#include <algorithm>
#include <vector>

#include "platform/Text.h"
#include "platform/portable/RegistryViews.h"
#include "platform/portable/WineRegFile.h"
#include "platform/portable/WineRegValueText.h"

namespace {

struct Edit {
    size_t begin, end;
    std::string text;
};

std::string Join(const std::string& below, const std::string& path) {
    return below.empty() ? path : below + "\\" + path;
}

bool IsAtOrBelow(const std::string& path, const std::string& top) {
    return path.size() >= top.size() &&
           text::EqualsNoCase(std::string_view(path).substr(0, top.size()), top) &&
           (path.size() == top.size() || path[top.size()] == '\\');
}

// The end of line of the line that ends at `end`: a rewritten value keeps it.
std::string_view LineEndBefore(const std::string& bytes, size_t end) {
    if (end >= 2 && bytes.compare(end - 2, 2, "\r\n") == 0) return "\r\n";
    if (end >= 1 && bytes[end - 1] == '\n') return "\n";
    return "";
}

class FileEditor {
  public:
    FileEditor(const std::string& bytes, Registry& repaired, RegKey hive, const std::string& below,
               std::string& error)
        : bytes_(bytes), repaired_(repaired), hive_(hive), below_(below), error_(error) {}

    bool Run(std::string& edited) {
        std::vector<WineRegFileKey> keys;
        WineRegFileInfo info;
        if (!ParseWineRegFile(bytes_, keys, info, error_)) return false;
        std::vector<std::string> links;
        for (const WineRegFileKey& key : keys)
            if (key.link) links.push_back(key.path);
        std::vector<Edit> edits;
        for (const WineRegFileKey& key : keys) {
            bool inLink = std::any_of(links.begin(), links.end(), [&](const std::string& link) {
                return IsAtOrBelow(key.path, link);
            });
            ScopedRegKey open(repaired_);
            bool present = false;
            if (!KeyPresent(key, open, present)) return false;
            if (!present) {
                edits.push_back({key.begin, key.end, ""});
            } else if (!inLink && !EditValues(key, open.Get(), edits)) {
                return false;
            }
        }
        edited.clear();
        size_t at = 0;
        for (const Edit& edit : edits) {
            edited.append(bytes_, at, edit.begin - at);
            edited += edit.text;
            at = edit.end;
        }
        edited.append(bytes_, at, std::string::npos);
        return true;
    }

  private:
    // Opens hive\below\path; false with an error when it fails for another reason than
    // the key being missing.
    bool Open(ScopedRegKey& key, const std::string& path, bool& found) {
        int32_t status = key.Open(hive_, Join(below_, path), KEY_QUERY_VALUE_);
        found = status == kRegSuccess;
        if (found || status == kRegNotFound) return true;
        error_ =
            "cannot read the key " + Join(below_, path) + " (error " + std::to_string(status) + ")";
        return false;
    }

    bool KeyPresent(const WineRegFileKey& key, ScopedRegKey& open, bool& present) {
        std::string canonical;
        // The registry follows this link itself and holds no key of its own for it (nor
        // always for the key above it): it stays.
        if (key.link && regview::ThroughClassesLink(hive_, Join(below_, key.path), canonical)) {
            present = true;
            return true;
        }
        return Open(open, key.path, present);
    }

    // A value's new text ends as its old one did; one that ended the file without an end
    // of line still needs the file's own between continued lines.
    std::string ValueText(const WineRegFileValue& value, const RegValue& now) const {
        std::string_view ending = LineEndBefore(bytes_, value.end);
        if (!ending.empty()) return WineRegValueText(value.name, now, ending);
        size_t first = bytes_.find('\n');
        ending =
            first != std::string::npos && first > 0 && bytes_[first - 1] == '\r' ? "\r\n" : "\n";
        std::string text = WineRegValueText(value.name, now, ending);
        text.resize(text.size() - ending.size());
        return text;
    }

    bool EditValues(const WineRegFileKey& key, RegKey open, std::vector<Edit>& edits) {
        for (const WineRegFileValue& value : key.values) {
            RegValue now;
            int32_t status = repaired_.QueryValue(open, value.name, 0x7FFFFFFF, now);
            if (status == kRegNotFound) {
                edits.push_back({value.begin, value.end, ""});
                continue;
            }
            if (status != kRegSuccess) {
                error_ = "cannot read the value \"" + value.name + "\" of " +
                         Join(below_, key.path) + " (error " + std::to_string(status) + ")";
                return false;
            }
            if (now.type == value.value.type && now.size == value.value.size &&
                now.data == value.value.data)
                continue;
            edits.push_back({value.begin, value.end, ValueText(value, now)});
        }
        return true;
    }

    const std::string& bytes_;
    Registry& repaired_;
    RegKey hive_;
    const std::string& below_;
    std::string& error_;
};

}  // namespace

bool EditWineRegFile(const std::string& bytes, Registry& repaired, RegKey hive,
                     const std::string& below, std::string& edited, std::string& error) {
    return FileEditor(bytes, repaired, hive, below, error).Run(edited);
}
