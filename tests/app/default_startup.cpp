#include "default_startup.h"

#include <fstream>
#include <iterator>
#include <optional>
#include <span>
#include <stdexcept>

namespace launcher::app {

DefaultStartup::DefaultStartup() {
    std::ifstream file(LAUNCHER_DEFAULT_PACKAGE, std::ios::binary);
    package.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    if (package.empty())
        throw std::runtime_error("the built-in package is missing");
    state = RunStartup(
        {}, [this] { return std::optional<std::span<const std::uint8_t>>(std::span(package)); });
}

} // namespace launcher::app
