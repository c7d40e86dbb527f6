#include "bench/offline/HiveCells.h"

#include <fstream>
#include <iterator>

#include "platform/portable/HostPath.h"

namespace {

uint32_t Dword(const std::string& bytes, size_t at) {
    uint32_t n = 0;
    for (int i = 3; i >= 0; --i) n = n << 8 | static_cast<unsigned char>(bytes[at + i]);
    return n;
}

}  // namespace

bool MeasureHiveSpace(const std::string& file, HiveSpace& space) {
    std::ifstream in(hostpath::FromUtf8(file), std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    space = HiveSpace{bytes.size(), 0, 0};
    // Bins follow the 4 KiB base block; each holds cells after its 32-byte header, a
    // cell's size negative while it is in use.
    for (size_t bin = 4096; bin < bytes.size();) {
        if (bytes.compare(bin, 4, "hbin") != 0 || bin + 12 > bytes.size()) return false;
        const size_t size = Dword(bytes, bin + 8);
        if (size < 32 || bin + size > bytes.size()) return false;
        for (size_t cell = bin + 32; cell + 4 <= bin + size;) {
            const int64_t length = static_cast<int32_t>(Dword(bytes, cell));
            const auto magnitude = static_cast<size_t>(length < 0 ? -length : length);
            if (magnitude < 8) return false;
            (length < 0 ? space.usedBytes : space.freeBytes) += magnitude;
            cell += magnitude;
        }
        bin += size;
    }
    return true;
}
