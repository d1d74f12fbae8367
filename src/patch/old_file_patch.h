#pragma once

#include "platform/event_loop.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

namespace launcher::patch {

// Smaller files are fetched whole without asking for an index: below a few
// blocks a patch saves little, and the request for the index costs a round
// trip for each of many small files.
inline constexpr std::int64_t kPatchFrom = std::int64_t{1} << 20;

// A work-list file whose old version the player has.
struct OldFilePatch {
    std::string archive_url;
    std::filesystem::path target; // the player's file, left as it is
    std::string hash;             // the catalogue's record of the new file
    std::uint64_t size = 0;
    std::string packed_hash;
};

// Builds the new version of `patch.target` beside it, under a temporary
// name of the kind every fetched file gets, from its old blocks and ranges
// of the archive (see BuildPatchedFile). Returns where, or none when the
// archive must be fetched whole. Tells `log` what the patch saved, or why
// there was none.
std::optional<std::filesystem::path>
PatchFromOldFile(platform::EventLoop& loop, const OldFilePatch& patch,
                 const std::function<void(const std::string&)>& log);

} // namespace launcher::patch
