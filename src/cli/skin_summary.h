#pragma once

#include <string>
#include <vector>

namespace launcher {

class TqorMainWindow;
class TqorConfigWindow;

// One line per skin member that has content: its name, image sizes and
// parameter count, for `launcher-cli config`.
std::vector<std::string> DescribeSkin(const TqorMainWindow& window);
std::vector<std::string> DescribeSkin(const TqorConfigWindow& window);

} // namespace launcher
