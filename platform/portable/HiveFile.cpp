#include "platform/portable/HiveFile.h"

#include <cstring>
#include <fstream>
#include <vector>

#include "platform/Text.h"
#include "platform/portable/HostPath.h"
#include "platform/portable/HostStat.h"

namespace {

uint32_t Dword(std::string_view bytes, size_t at) {
    uint32_t n = 0;
    for (int i = 3; i >= 0; --i) n = n << 8 | static_cast<unsigned char>(bytes[at + i]);
    return n;
}

// The base block's checksum: the XOR of its first 127 double words.
uint32_t Checksum(std::string_view head) {
    uint32_t sum = 0;
    for (size_t at = 0; at < 508; at += 4) sum ^= Dword(head, at);
    return sum;
}

bool HasBaseBlock(std::string_view head) {
    return head.size() >= 512 && head.substr(0, 4) == "regf" && Checksum(head) == Dword(head, 508);
}

bool ReadHead(const std::filesystem::path& path, std::string& head, uint64_t& size) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    in.seekg(0, std::ios::end);
    size = static_cast<uint64_t>(in.tellg());
    in.seekg(0);
    head.assign(static_cast<size_t>(std::min<uint64_t>(size, kHiveBaseBlock)), '\0');
    in.read(head.data(), static_cast<std::streamsize>(head.size()));
    return static_cast<bool>(in);
}

}  // namespace

std::string HiveHeaderProblem(std::string_view head, uint64_t size) {
    if (size < 4 || head.substr(0, 4) != "regf")
        return "is not a registry hive (it does not start with \"regf\")";
    if (size < kHiveBaseBlock)
        return "is truncated: " + std::to_string(size) + " bytes, less than a hive's " +
               std::to_string(kHiveBaseBlock) + "-byte base block";
    if (Checksum(head) != Dword(head, 508))
        return "is damaged: the checksum of its base block does not match";
    if (Dword(head, 0x14) != 1)
        return "has an unknown format version " + std::to_string(Dword(head, 0x14)) + "." +
               std::to_string(Dword(head, 0x18));
    uint64_t data = Dword(head, 0x28);
    if (size < kHiveBaseBlock + data)
        return "is truncated: its base block promises " + std::to_string(kHiveBaseBlock + data) +
               " bytes, the file holds " + std::to_string(size);
    if (Dword(head, 4) != Dword(head, 8))
        return "was not written completely (its sequence numbers " +
               std::to_string(Dword(head, 4)) + " and " + std::to_string(Dword(head, 8)) +
               " differ): its transaction logs hold changes not replayed into it. Start that "
               "Windows and "
               "shut it down cleanly, then scan again";
    return "";
}

std::string HiveLogProblem(std::string_view head, uint64_t size, uint32_t hiveSequence) {
    if (size == 0) return "";
    std::string_view block = head.substr(0, std::min<size_t>(head.size(), 512));
    if (block.find_first_not_of('\0') == std::string_view::npos &&
        block.size() == std::min<uint64_t>(size, 512))
        return "";
    if (!HasBaseBlock(head))
        return "cannot be read as a transaction log, so it may hold changes the hive lacks";
    uint32_t logSequence = Dword(head, 4);
    if (logSequence < hiveSequence) return "";
    return "holds changes not yet written into the hive (log sequence " +
           std::to_string(logSequence) + ", hive " + std::to_string(hiveSequence) +
           "). Start that Windows and shut it down cleanly, then scan again";
}

bool CheckHiveFile(const std::string& file, std::string& error) {
    std::filesystem::path path = hostpath::FromUtf8(file);
    std::string head;
    uint64_t size = 0;
    if (!ReadHead(path, head, size)) {
        error = file + ": the hive cannot be read";
        return false;
    }
    std::string problem = HiveHeaderProblem(head, size);
    if (!problem.empty()) {
        error = file + ": the hive " + problem;
        return false;
    }
    // The logs are NAME.LOG, NAME.LOG1 and NAME.LOG2 beside it, in any letter case.
    std::string name = hostpath::ToUtf8(path.filename());
    std::vector<std::filesystem::path> entries;
    ListHostFolder(path.parent_path().empty() ? std::filesystem::path(".") : path.parent_path(),
                   entries);
    for (const std::filesystem::path& entry : entries) {
        std::string entryName = hostpath::ToUtf8(entry.filename());
        bool isLog = false;
        for (const char* suffix : {".LOG", ".LOG1", ".LOG2"})
            isLog = isLog || text::EqualsNoCase(entryName, name + suffix);
        if (!isLog) continue;
        std::string logHead;
        uint64_t logSize = 0;
        if (!ReadHead(entry, logHead, logSize)) {
            error = file + ": its transaction log " + entryName + " cannot be read";
            return false;
        }
        problem = HiveLogProblem(logHead, logSize, Dword(head, 8));
        if (!problem.empty()) {
            error = file + ": its transaction log " + entryName + " " + problem;
            return false;
        }
    }
    return true;
}
