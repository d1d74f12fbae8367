#include "platform/input_file.h"

#include "platform/utf8_path.h"

namespace launcher::platform {

InputFile::InputFile(std::filesystem::path path) : file_(path, File::Mode::ReadDenyWrite) {
    if (!file_.status().regular)
        throw FileError("Cannot open file " + utf8_of(path) + ": it is not a regular file",
                        FileProblem::Other, path);
    if (!file_.try_lock(File::Lock::Shared))
        throw FileError("Cannot open file " + utf8_of(path) + ": a program is writing it",
                        FileProblem::PermissionDenied, path);
}

} // namespace launcher::platform
