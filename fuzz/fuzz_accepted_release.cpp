// Feeds arbitrary bytes to the reader of the game folder's record of accepted
// releases: it must not crash, must say what it found when it refuses, and
// what it reads must write back to a record that reads the same.
#include "update/accepted_release.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::string found;
    const auto accepted = launcher::ParseAcceptedRelease(text, found);
    if (!accepted) {
        if (found.empty())
            std::abort();
        return 0;
    }
    std::string again;
    const auto back =
        launcher::ParseAcceptedRelease(launcher::AcceptedReleaseText(*accepted), again);
    if (!back || back->release != accepted->release || back->newest_key != accepted->newest_key ||
        back->format != accepted->format)
        std::abort();
    return 0;
}
