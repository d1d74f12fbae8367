// Feeds arbitrary bytes to the user settings reader and the steps applied
// right after it.
#include "config/config_data.h"
#include "config/user_settings.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace {

const launcher::tConfigData& fuzz_config() {
    static const launcher::tConfigData config = [] {
        launcher::tConfigData parsed;
        std::string_view text =
            "[config]\nusercan_changeproxy=true\n[gameproxys]\n"
            "proxy=Europe|1.1.1.1|eu.ini\n[lang=1033:English]\n[lang=1049:Russian]\n";
        launcher::platform::MemoryStream stream(
            launcher::platform::Bytes(text.begin(), text.end()));
        parsed.ParseConfig(stream);
        return parsed;
    }();
    return config;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    auto settings = launcher::ParseIniText(
        std::string_view(reinterpret_cast<const char*>(data), size), fuzz_config());
    launcher::ApplyConfigRestrictions(settings, fuzz_config());
    launcher::DeriveProxyIndex(settings, fuzz_config());
    return 0;
}
