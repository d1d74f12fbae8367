#pragma once

#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>

namespace launcher::app {

// One launcher per instance title. The first start holds a lock file and
// listens on a local socket, both named after the title without regard to
// letter case; a later start finds the lock taken, asks the running launcher
// through the socket to bring its window forward and ends. The lock file
// records the holder's process id, so a lock left by a killed launcher is
// taken over, and its socket file is replaced.
class SingleInstance final : public QObject {
public:
    // Claims the title. Returns none when another launcher holds it; that
    // launcher has then been asked to come forward.
    static std::unique_ptr<SingleInstance> Claim(const QString& instance_title);

    // Runs on the interface thread each time a later start asks for the window.
    void SetOnShowRequest(std::function<void()> on_show_request) {
        on_show_request_ = std::move(on_show_request);
    }

    // The socket name a title maps to: the same for titles that differ only
    // in letter case, and safe as a file name whatever the title holds.
    static QString ServerName(const QString& instance_title);
    // The lock file that marks the title as taken.
    static QString LockFilePath(const QString& instance_title);

private:
    SingleInstance(std::unique_ptr<QLockFile> lock, const QString& server_name);
    void accept_connections();

    std::unique_ptr<QLockFile> lock_;
    QLocalServer server_;
    std::function<void()> on_show_request_;
};

} // namespace launcher::app
