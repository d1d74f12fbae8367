#include "config/config_data.h"

#include "config/config_package.h"
#include "config/debug_file.h"
#include "platform/embedded_block.h"
#include "platform/files.h"

#include <string>

namespace launcher {
namespace {

constexpr std::string_view kPackageDumpFile = "config.pack";

std::optional<std::span<const std::uint8_t>> executable_resource() {
    return platform::FindResourceData("blank", platform::kResourceTypeRcData);
}

} // namespace

tConfigData::tConfigData() : resource_source(executable_resource) {}

void tConfigData::log(std::string_view line) const {
    if (debug_file != nullptr)
        debug_file->WriteErr(line);
}

bool tConfigData::LoadConfig(platform::MemoryStream& stream) {
    log("  try load config");
    try {
        const auto resource = resource_source ? resource_source() : std::nullopt;
        if (!resource || resource->empty())
            return false;
        platform::MemoryStream header(platform::Bytes(resource->begin(), resource->end()));
        const auto length = header.read_int<std::int32_t>();
        log("  read config from memory.. config size: " + std::to_string(length));
        if (length < 1 || length > kMaxConfigPayload)
            return false;

        platform::Bytes payload_bytes(static_cast<std::size_t>(length));
        header.read_exact(payload_bytes.data(), payload_bytes.size());
        header.clear();
        platform::MemoryStream payload(std::move(payload_bytes));

        if (debug_file != nullptr && debug_file->enabled) {
            const auto& bytes = payload.bytes();
            platform::write_file(kPackageDumpFile,
                                 {reinterpret_cast<const char*>(bytes.data()), bytes.size()});
        }

        XorStream(payload, FormConfigKey());
        payload.seek(0);
        platform::MemoryStream decoded;
        DecodeBZip2Stream(payload, decoded);
        stream.write(decoded.bytes());
        return true;
    } catch (const std::exception&) {
        // A damaged package means no configuration; start-up reports that.
        return false;
    }
}

} // namespace launcher
