#pragma once

#include <string>
#include <vector>

namespace launcher::publish {

// Refuses, all in one PublishError, the check-section names the release does
// not publish (a player's launcher would report them as not updated at every
// start) and the removal names of files it does publish, or of the
// launcher's own folder (a player's file would be deleted and fetched again
// on alternate starts). Names are compared without regard to letter case,
// as a launcher looks them up.
void RefuseSectionNames(const std::vector<std::string>& published,
                        const std::vector<std::string>& check_section,
                        const std::vector<std::string>& removal_section);

} // namespace launcher::publish
