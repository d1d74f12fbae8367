#include "reference_md5.h"

#include <stdexcept>
#include <windows.h>
// (needs windows.h first)
#include <bcrypt.h>

namespace launcher {

std::string reference_md5(std::string_view data) {
    unsigned char digest[16];
    BCRYPT_ALG_HANDLE algorithm = nullptr;
    if (::BCryptOpenAlgorithmProvider(&algorithm, BCRYPT_MD5_ALGORITHM, nullptr, 0) != 0)
        throw std::runtime_error("no MD5 provider");
    BCRYPT_HASH_HANDLE hash = nullptr;
    NTSTATUS status = ::BCryptCreateHash(algorithm, &hash, nullptr, 0, nullptr, 0, 0);
    if (status == 0)
        status = ::BCryptHashData(hash, reinterpret_cast<PUCHAR>(const_cast<char*>(data.data())),
                                  static_cast<ULONG>(data.size()), 0);
    if (status == 0)
        status = ::BCryptFinishHash(hash, digest, sizeof digest, 0);
    if (hash != nullptr)
        ::BCryptDestroyHash(hash);
    ::BCryptCloseAlgorithmProvider(algorithm, 0);
    if (status != 0)
        throw std::runtime_error("MD5 failed");
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text;
    for (const unsigned char byte : digest) {
        text.push_back(kDigits[byte >> 4]);
        text.push_back(kDigits[byte & 0xF]);
    }
    return text;
}

} // namespace launcher
