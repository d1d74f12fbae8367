#pragma once

#include "support/temp_dir.h"

#include <filesystem>
#include <string>
#include <string_view>

namespace launcher::testing {

// nginx serving a folder on a free loopback port, run as an ordinary
// process with its own configuration, logs and temporary folders. Started as
// root, its workers run as "nobody", so the served tree is made readable by
// everyone. Windows test programs (under wine) have no nginx: there it is
// never available, and the runs against nginx are made from the Linux side.
class NginxServer {
public:
    explicit NginxServer(const std::filesystem::path& root);
    ~NginxServer();
    NginxServer(const NginxServer&) = delete;
    NginxServer& operator=(const NginxServer&) = delete;

    static bool Available();
    // Makes every folder on the way to `path` and everything below it
    // readable by others.
    static void OpenForReading(const std::filesystem::path& path);

    std::string url(std::string_view path) const;
    bool running() const { return pid_ > 0; }

private:
    TempDir prefix_;
    int port_ = 0;
    int pid_ = -1; // the master process
};

} // namespace launcher::testing
