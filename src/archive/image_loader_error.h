#pragma once

#include <string>
#include <string_view>

namespace launcher {

// The library image loader's last-error text: process-wide, set by every
// failure of the loader and never cleared by it.
std::string ImageLoaderLastError();

// Used by the loader only.
void SetImageLoaderError(std::string_view text);
void AppendImageLoaderError(std::string_view text);

} // namespace launcher
