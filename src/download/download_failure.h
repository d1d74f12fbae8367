#pragma once

#include "platform/files.h"

#include <optional>
#include <string>

namespace launcher {

// Why a download did not fetch the whole file.
struct DownloadFailure {
    enum class Kind {
        NoAnswer,       // the server could not be reached, or stopped answering
        HttpStatus,     // the server answered with an error status
        NoLength,       // the server gave no length for the file
        LengthMismatch, // the server's answers disagree about the file's length
        Incomplete,     // fewer bytes arrived than the file holds
        LocalFile,      // the file could not be written on this computer
        Stopped,        // the download was stopped
        TooLong,        // the server stated more bytes than the caller allows
        TooSlow,        // the server sent too slowly, or took longer than allowed
    };

    explicit DownloadFailure(Kind why = Kind::NoAnswer, std::string what = {})
        : kind(why), detail(std::move(what)) {}
    static DownloadFailure http_status(long code, std::string what);
    static DownloadFailure local_file(std::optional<platform::FileError> error,
                                      std::string what = {});

    // One line for the player: what went wrong, in words.
    std::string describe() const;

    Kind kind;
    long status = 0;                          // the HTTP status, for HttpStatus
    std::string detail;                       // what the client or the system said
    std::optional<platform::FileError> local; // for LocalFile
};

} // namespace launcher
