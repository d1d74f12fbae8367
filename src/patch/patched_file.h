#pragma once

#include "download/http_client.h"
#include "platform/event_loop.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

namespace launcher::patch {

// One file of the work list that may be built from its old version.
struct PatchJob {
    std::string archive_url;        // the packed archive; its index is this + ".idx"
    std::filesystem::path old_file; // the player's file, only read
    std::filesystem::path staged;   // the new file is built here (created)
    std::string hash;               // the catalogue's Hash and Size of the new file
    std::uint64_t size = 0;
    std::string packed_hash; // the catalogue's packed hash of the archive
};

struct PatchOutcome {
    bool built = false; // `staged` holds the new file, verified
    std::string why;    // why not, when not
    std::uint64_t index_bytes = 0;
    std::uint64_t fetched_bytes = 0; // of the archive, by range
    std::uint64_t local_bytes = 0;   // copied from the old file
};

// Builds the new file of `job` from the blocks of its old file and byte
// ranges of its archive, as its block index describes them: every fetched
// block is checked by its strong hash on arrival and the whole file by the
// catalogue's Hash and Size, so an index (which no signature covers) can
// only ever cost bytes, never give a file the catalogue does not vouch for.
// Any doubt (no index, one that does not belong to this archive and file, a
// server that ignores Range or answers another range, a block that fails
// its hash, a local problem) ends with nothing built and `staged` removed:
// the caller fetches the whole archive. The old file is never written.
PatchOutcome BuildPatchedFile(platform::EventLoop& loop, HttpClient& client, const PatchJob& job);

} // namespace launcher::patch
