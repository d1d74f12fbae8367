// Feeds arbitrary bytes to the two window skin readers, as start-up does with
// the decoded configuration stream. Read and invalid-image errors are the
// expected outcome of damaged input; anything else is a finding.
#include "platform/memory_stream.h"
#include "skin/bmp_decoder.h"
#include "skin/skin_params.h"
#include "skin/skin_windows.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    launcher::platform::MemoryStream stream(launcher::platform::Bytes(data, data + size));
    launcher::TqorMainWindow main;
    launcher::TqorConfigWindow settings;
    try {
        main.LoadFromStream(stream);
        settings.LoadFromStream(stream);
    } catch (const launcher::platform::StreamReadError&) {
    } catch (const launcher::InvalidImageError&) {
    }
    // Whatever was read, the parameter lookups must cope with its lines.
    for (const char* key : {"Left", "Visible", "Color"}) {
        (void)launcher::GetParamInt(main.Text_Title.parameters, key);
        (void)launcher::GetParamBool(settings.Button_Ok.parameters, key);
    }
    if (stream.position() > stream.size())
        __builtin_trap(); // the readers never move past the data
    return 0;
}
