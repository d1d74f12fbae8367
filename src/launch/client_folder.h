#pragma once

#include <string>
#include <string_view>

namespace launcher {

inline constexpr std::string_view kDefaultClientFolder = "system";

// The client folder of the last "name;folder" pair of the "|"-separated
// language folder list whose name equals `lang_folder` exactly; "system"
// when none does.
std::string ClientFolderFor(std::string_view language_folder_list, std::string_view lang_folder);

} // namespace launcher
