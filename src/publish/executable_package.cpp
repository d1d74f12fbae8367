#include "publish/executable_package.h"

#include "config/config_package.h"
#include "platform/executable_image.h"
#include "skin/skin_source.h"

#include <algorithm>

namespace launcher::publish {

platform::Bytes ComposeConfigStream(const std::filesystem::path& skin_dir,
                                    const std::filesystem::path& config_file) {
    platform::Bytes stream = ComposeSkinStream(skin_dir);
    const platform::Bytes text = platform::read_file(config_file);
    stream.insert(stream.end(), text.begin(), text.end());
    return stream;
}

void WritePackageIntoExecutable(std::span<const std::uint8_t> resource,
                                const std::filesystem::path& executable,
                                const std::filesystem::path& output) {
    auto image = platform::ExecutableImage::load(executable);
    auto block = image.block();
    if (resource.size() > block.size())
        throw ConfigPackageError("The package does not fit into the executable's data block");
    std::copy(resource.begin(), resource.end(), block.begin());
    std::fill(block.begin() + static_cast<std::ptrdiff_t>(resource.size()), block.end(), 0);
    image.save(output);
}

platform::Bytes ReadConfigStreamFromExecutable(const std::filesystem::path& executable) {
    const auto image = platform::ExecutableImage::load(executable);
    return DecodeConfigPackage(image.block());
}

void DecomposeConfigStream(std::span<const std::uint8_t> stream,
                           const std::filesystem::path& skin_dir,
                           const std::filesystem::path& config_file) {
    const std::size_t skin_size = DecomposeSkinStream(stream, skin_dir);
    const auto text = stream.subspan(skin_size);
    platform::write_file_atomic(config_file,
                                {reinterpret_cast<const char*>(text.data()), text.size()});
}

} // namespace launcher::publish
