#include "archive/image_loader_error.h"

namespace launcher {
namespace {

std::string& LastErrorText() {
    static std::string text;
    return text;
}

} // namespace

std::string ImageLoaderLastError() {
    return LastErrorText();
}

void SetImageLoaderError(std::string_view text) {
    LastErrorText().assign(text);
}

void AppendImageLoaderError(std::string_view text) {
    LastErrorText().append(text);
}

} // namespace launcher
