// The rules of the start-up work list: which present files are examined at
// all, and what the player's check mode makes of each examined one.
#include "update/work_list.h"

#include "update/check_settings.h"

namespace launcher {

PresentFile ClassifyPresentFile(const TFileRecord& listed, const TFileRecord* previous,
                                const std::function<std::optional<SizeAndDate>()>& local) {
    if (previous)
        return SameHash(previous->Hash, listed.Hash) ? PresentFile::Current : PresentFile::Examine;
    // A copied install or a first start without a previous list: size and
    // date tell an unchanged file without reading it.
    const std::optional<SizeAndDate> found = local();
    if (found && found->size == listed.Size && found->date == listed.Date)
        return PresentFile::Unchanged;
    return PresentFile::Examine;
}

WorkVerdict JudgeWorkEntry(int check_level, const TFileRecord& examined, bool missing,
                           const TFileRecord& listed, const TFileRecord* previous) {
    if (missing)
        return WorkVerdict::Fetch;
    if (check_level == kLevelHard)
        return SameHash(examined.Hash, listed.Hash) ? WorkVerdict::Equal : WorkVerdict::Fetch;
    if (check_level == kLevelMedium)
        return examined.Size == listed.Size && examined.Date == listed.Date ? WorkVerdict::Equal
                                                                            : WorkVerdict::Fetch;
    return previous && SameHash(previous->Hash, listed.Hash) ? WorkVerdict::Current
                                                             : WorkVerdict::Fetch;
}

} // namespace launcher
