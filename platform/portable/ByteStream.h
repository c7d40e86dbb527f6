#pragma once
// Little-endian reads and writes of binary file formats. Every read is checked
// against the end of its data: a read that does not fit fails and moves nothing.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace bytes {

// Unsigned little-endian number of `size` bytes at `offset`; nothing when it does not fit.
inline std::optional<uint64_t> UintAt(std::string_view data, size_t offset, size_t size) {
    if (offset > data.size() || data.size() - offset < size) return std::nullopt;
    uint64_t value = 0;
    for (size_t i = size; i > 0; --i)
        value = (value << 8) | static_cast<unsigned char>(data[offset + i - 1]);
    return value;
}

inline std::optional<uint16_t> U16At(std::string_view data, size_t offset) {
    auto v = UintAt(data, offset, 2);
    return v ? std::optional<uint16_t>(static_cast<uint16_t>(*v)) : std::nullopt;
}

inline std::optional<uint32_t> U32At(std::string_view data, size_t offset) {
    auto v = UintAt(data, offset, 4);
    return v ? std::optional<uint32_t>(static_cast<uint32_t>(*v)) : std::nullopt;
}

// The bytes from `offset` up to the first NUL byte; nothing when there is no NUL
// before the end of the data.
inline std::optional<std::string_view> AnsiZAt(std::string_view data, size_t offset) {
    if (offset >= data.size()) return std::nullopt;
    size_t end = data.find('\0', offset);
    if (end == std::string_view::npos) return std::nullopt;
    return data.substr(offset, end - offset);
}

// The UTF-16LE units from `offset` up to the first NUL unit; nothing when there is
// no NUL unit before the end of the data.
inline std::optional<std::u16string> Utf16ZAt(std::string_view data, size_t offset) {
    std::u16string units;
    for (size_t at = offset;; at += 2) {
        auto unit = U16At(data, at);
        if (!unit) return std::nullopt;
        if (*unit == 0) return units;
        units += static_cast<char16_t>(*unit);
    }
}

// Reads a sequence of fields from the front of its data.
class Reader {
public:
    explicit Reader(std::string_view data) : data_(data) {}

    size_t offset() const { return offset_; }
    size_t remaining() const { return data_.size() - offset_; }

    bool U16(uint16_t& value) { return Number(value); }
    bool U32(uint32_t& value) { return Number(value); }
    bool U64(uint64_t& value) { return Number(value); }
    bool Bytes(size_t size, std::string_view& out) {
        if (remaining() < size) return false;
        out = data_.substr(offset_, size);
        offset_ += size;
        return true;
    }

private:
    template <typename T>
    bool Number(T& value) {
        auto v = UintAt(data_, offset_, sizeof(T));
        if (!v) return false;
        value = static_cast<T>(*v);
        offset_ += sizeof(T);
        return true;
    }

    std::string_view data_;
    size_t offset_ = 0;
};

// Builds binary data field by field.
class Writer {
public:
    void U8(uint8_t v) { out_ += static_cast<char>(v); }
    void U16(uint16_t v) { Number(v, 2); }
    void U32(uint32_t v) { Number(v, 4); }
    void U64(uint64_t v) { Number(v, 8); }
    void Bytes(std::string_view b) { out_.append(b); }
    void Zeros(size_t n) { out_.append(n, '\0'); }
    // UTF-16LE units, without a terminator.
    void Utf16(std::u16string_view units) {
        for (char16_t u : units) U16(static_cast<uint16_t>(u));
    }
    // Overwrites a 16- or 32-bit number written earlier (sizes known only at the end).
    void PatchU16(size_t offset, uint16_t v) { Patch(offset, v, 2); }
    void PatchU32(size_t offset, uint32_t v) { Patch(offset, v, 4); }

    size_t size() const { return out_.size(); }
    const std::string& data() const { return out_; }
    std::string Take() { return std::move(out_); }

private:
    void Number(uint64_t v, size_t size) {
        for (size_t i = 0; i < size; ++i) out_ += static_cast<char>((v >> (8 * i)) & 0xFF);
    }
    void Patch(size_t offset, uint64_t v, size_t size) {
        for (size_t i = 0; i < size; ++i)
            out_[offset + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
    }
    std::string out_;
};

}  // namespace bytes
