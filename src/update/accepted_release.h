#pragma once

#include "update/release_signature.h"

#include <optional>
#include <string>
#include <string_view>

namespace launcher {

// Where the game folder keeps what it remembers of the signed releases it
// accepted, in the updater folder.
inline constexpr std::string_view kAcceptedReleaseName = "Release.lst";
// A record longer than this is damaged.
inline constexpr std::size_t kLongestAcceptedRecord = 256;

// The text of the record, CR LF line ends:
//
//   7                      the highest release number accepted
//   key 0123456789abcdef   the newest key that signed an accepted release
//   format 2               the highest signature format accepted
//
// Earlier versions wrote the first line alone; it still reads. Anything else
// (an empty file, "3abc", blanks, a number past 2^64-1, an unknown line, a
// line twice) is damage: none, with `found` saying what was there.
std::optional<AcceptedRelease> ParseAcceptedRelease(std::string_view text, std::string& found);
std::string AcceptedReleaseText(const AcceptedRelease& accepted);

} // namespace launcher
