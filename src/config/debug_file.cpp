#include "config/debug_file.h"

#include "platform/files.h"
#include "platform/text.h"

namespace launcher {

tDebugFile::~tDebugFile() {
    if (enabled)
        flush();
}

void tDebugFile::WriteErr(std::string_view str) {
    if (!enabled)
        return;
    ts.emplace_back(str);
    flush();
}

void tDebugFile::flush() const {
    if (filename.empty())
        return;
    platform::write_file(filename, platform::encode_text(platform::join_crlf(ts)));
}

} // namespace launcher
