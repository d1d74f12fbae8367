#include "reference_md5.h"

#include <openssl/md5.h>

namespace launcher {

std::string reference_md5(std::string_view data) {
    unsigned char digest[MD5_DIGEST_LENGTH];
    // The one-shot function is deprecated but still the simplest reference.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    MD5(reinterpret_cast<const unsigned char*>(data.data()), data.size(), digest);
#pragma GCC diagnostic pop
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text;
    for (const unsigned char byte : digest) {
        text.push_back(kDigits[byte >> 4]);
        text.push_back(kDigits[byte & 0xF]);
    }
    return text;
}

} // namespace launcher
