#pragma once

#include "catalogue/file_record.h"

#include <cstdint>
#include <functional>
#include <optional>

namespace launcher {

// A local file's size and last-write date, as the hasher reports them.
struct SizeAndDate {
    std::int64_t size = 0;
    TDateTime date = 0.0;
};

// What the start-up does with a catalogue file that is present and not
// named in the check section.
enum class PresentFile {
    Current,   // the previous list records the catalogue's Hash: nothing is looked at
    Unchanged, // the previous list lacks it, but its size and date are the catalogue's
    Examine,   // compared with the catalogue in the player's check mode
};

// `listed` is the catalogue's record, `previous` the previous list's (none
// when it lacks the name). `local` gives the file's size and date (none when
// it is no regular file); it is asked only when the previous list lacks the
// name, so a folder whose previous list matches the catalogue is not looked
// at beyond the existence of its files.
PresentFile ClassifyPresentFile(const TFileRecord& listed, const TFileRecord* previous,
                                const std::function<std::optional<SizeAndDate>()>& local);

// The verdict on a file of the work list that the catalogue lists.
enum class WorkVerdict {
    Fetch,   // fetched with the catalogue's record
    Equal,   // its content was compared and is the catalogue's: recorded in the previous list
    Current, // light mode: the previous list records the catalogue's Hash
};

// `examined` is what the hasher found (hard: MD5, size, date; medium: size
// and date; light: nothing), `missing` whether the file was absent at the
// start. A missing file is fetched in every mode: no comparison makes an
// absent file the catalogue's.
WorkVerdict JudgeWorkEntry(int check_level, const TFileRecord& examined, bool missing,
                           const TFileRecord& listed, const TFileRecord* previous);

} // namespace launcher
