#include "platform/portable/HiveFileWrite.h"

#include <cstring>

namespace {

void PutDword(std::string& bytes, size_t at, uint32_t n) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>(n >> (8 * i) & 0xFF);
}

uint32_t GetDword(const std::string& bytes, size_t at) {
    uint32_t n = 0;
    for (int i = 3; i >= 0; --i) n = n << 8 | static_cast<unsigned char>(bytes[at + i]);
    return n;
}

}  // namespace

// The base block, then one 4 KiB bin with the root key, its security cell and free space.
std::string EmptyHiveBytes() {
    std::string bytes(8192, '\0');
    std::memcpy(&bytes[0], "regf", 4);
    PutDword(bytes, 0x04, 1);
    PutDword(bytes, 0x08, 1);
    PutDword(bytes, 0x14, 1);  // version 1.3
    PutDword(bytes, 0x18, 3);
    PutDword(bytes, 0x20, 1);     // format: direct memory load
    PutDword(bytes, 0x24, 0x20);  // the root key's cell
    PutDword(bytes, 0x28, 0x1000);
    PutDword(bytes, 0x2C, 1);
    uint32_t sum = 0;
    for (size_t at = 0; at < 508; at += 4) sum ^= GetDword(bytes, at);
    PutDword(bytes, 508, sum);
    const size_t bin = 0x1000, root = bin + 0x20, security = root + 88, spare = security + 48;
    std::memcpy(&bytes[bin], "hbin", 4);
    PutDword(bytes, bin + 8, 0x1000);
    PutDword(bytes, root, static_cast<uint32_t>(-88));
    std::memcpy(&bytes[root + 4], "nk", 2);
    bytes[root + 6] = 0x2C;  // the hive's entry, not to be deleted, ASCII name
    for (size_t field : {32, 36, 44, 52}) PutDword(bytes, root + field, 0xFFFFFFFF);
    PutDword(bytes, root + 48, static_cast<uint32_t>(security - bin));
    bytes[root + 76] = 4;
    std::memcpy(&bytes[root + 80], "ROOT", 4);
    PutDword(bytes, security, static_cast<uint32_t>(-48));
    std::memcpy(&bytes[security + 4], "sk", 2);
    PutDword(bytes, security + 8, static_cast<uint32_t>(security - bin));
    PutDword(bytes, security + 12, static_cast<uint32_t>(security - bin));
    PutDword(bytes, security + 16, 1);
    PutDword(bytes, security + 20, 20);
    bytes[security + 24] = 1;  // a self-relative descriptor without lists
    bytes[security + 27] = '\x80';
    PutDword(bytes, spare, static_cast<uint32_t>(bin + 0x1000 - spare));
    return bytes;
}

