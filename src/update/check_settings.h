#pragma once

#include <string_view>

namespace launcher {

// The check levels of the player's check modes.
inline constexpr int kLevelLight = 0;
inline constexpr int kLevelMedium = 1;
inline constexpr int kLevelHard = 2;

// The hash thread count for a drive type ("HDD" 1, "SSD" 3, letter case
// ignored); any other text keeps `current`.
int HashThreadsForDrive(std::string_view drive_type, int current);

// The check level for a check mode ("Hard: MD5 Hash" 2, "Medium: Size &
// Date" 1, "Light: Previous List" 0, letter case ignored); any other text
// keeps `current`.
int CheckLevelForMode(std::string_view check_mode, int current);

} // namespace launcher
