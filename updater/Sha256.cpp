#include "updater/Sha256.h"

#include <windows.h>

#include <bcrypt.h>

#include <vector>

namespace {

// Owners of the algorithm provider, the hash object and the file.
struct Algorithm {
    BCRYPT_ALG_HANDLE h = nullptr;
    ~Algorithm() {
        if (h) BCryptCloseAlgorithmProvider(h, 0);
    }
};
struct Hash {
    BCRYPT_HASH_HANDLE h = nullptr;
    ~Hash() {
        if (h) BCryptDestroyHash(h);
    }
};
struct File {
    HANDLE h = INVALID_HANDLE_VALUE;
    ~File() {
        if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    }
};

bool Ok(NTSTATUS status) {
    return status >= 0;
}

}  // namespace

std::string FileSha256(const std::wstring& path) {
    File file;
    file.h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                         FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file.h == INVALID_HANDLE_VALUE) return "";
    Algorithm algorithm;
    if (!Ok(BCryptOpenAlgorithmProvider(&algorithm.h, BCRYPT_SHA256_ALGORITHM, nullptr, 0)))
        return "";
    Hash hash;
    if (!Ok(BCryptCreateHash(algorithm.h, &hash.h, nullptr, 0, nullptr, 0, 0))) return "";
    std::vector<UCHAR> buffer(1 << 16);
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(file.h, buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr))
            return "";
        if (got == 0) break;
        if (!Ok(BCryptHashData(hash.h, buffer.data(), got, 0))) return "";
    }
    UCHAR digest[32];
    if (!Ok(BCryptFinishHash(hash.h, digest, sizeof digest, 0))) return "";
    static const char kHex[] = "0123456789abcdef";
    std::string hex;
    for (UCHAR byte : digest) {
        hex += kHex[byte >> 4];
        hex += kHex[byte & 15];
    }
    return hex;
}
