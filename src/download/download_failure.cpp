#include "download/download_failure.h"

namespace launcher {

DownloadFailure DownloadFailure::http_status(long code, std::string what) {
    DownloadFailure failure(Kind::HttpStatus, std::move(what));
    failure.status = code;
    return failure;
}

DownloadFailure DownloadFailure::local_file(std::optional<platform::FileError> error,
                                            std::string what) {
    DownloadFailure failure(Kind::LocalFile, std::move(what));
    failure.local = std::move(error);
    return failure;
}

std::string DownloadFailure::describe() const {
    switch (kind) {
    case Kind::NoAnswer:
        return detail.empty() ? "the update server did not answer"
                              : "the update server did not answer (" + detail + ")";
    case Kind::HttpStatus:
        if (status == 404 || status == 410)
            return "not found on the update server (HTTP " + std::to_string(status) + ")";
        return "the update server answered HTTP " + std::to_string(status);
    case Kind::NoLength:
        return "the update server gave no length for it";
    case Kind::LengthMismatch:
        return "the update server's answers disagree about its length";
    case Kind::Incomplete:
        return "the download ended early" + (detail.empty() ? "" : " (" + detail + ")");
    case Kind::LocalFile:
        return local ? std::string(local->what()) : detail;
    case Kind::Stopped:
        return "the download was stopped";
    case Kind::TooLong:
        return "the update server sent more than it can be" +
               (detail.empty() ? "" : " (" + detail + ")");
    case Kind::TooSlow:
        return "the update server sent too slowly" + (detail.empty() ? "" : " (" + detail + ")");
    }
    return detail;
}

} // namespace launcher
