// Feeds arbitrary bytes to the signature file's parser and to the check of a
// release against it: neither may crash, and whatever parses must hold the
// limits the parser promises.
#include "update/release_signature.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::string error;
    if (const auto parsed = launcher::ParseReleaseSignature(text, error)) {
        if (parsed->signatures.empty() || parsed->signatures.size() > launcher::kMostSignatures ||
            parsed->signed_text.size() >= text.size() ||
            !launcher::IsChannelName(parsed->terms.channel))
            std::abort();
    } else if (error.empty()) {
        std::abort();
    }
    static const launcher::KeyPair keys = launcher::GenerateKeyPair();
    const std::string_view manifest = "manifest";
    launcher::VerifyRelease(
        text, std::span(reinterpret_cast<const std::uint8_t*>(manifest.data()), manifest.size()),
        {keys.public_key}, "main", 1'800'000'000, launcher::AcceptedRelease{3, "", 2});
    return 0;
}
