#include "app/single_instance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QThread>
#include <unistd.h>

namespace launcher::app {
namespace {

constexpr char kShowRequest[] = "show\n";
constexpr int kConnectTimeoutMs = 2000;
constexpr int kAttempts = 20;

QString lock_file_in_runtime_folder(const QString& server_name) {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        folder = QDir::tempPath();
    return QDir(folder).filePath(server_name + ".lock");
}

// Asks the launcher listening on `server_name` to come forward. False when
// nothing listens there (yet).
bool send_show_request(const QString& server_name) {
    QLocalSocket socket;
    socket.connectToServer(server_name);
    if (!socket.waitForConnected(kConnectTimeoutMs))
        return false;
    socket.write(kShowRequest);
    const bool sent = socket.waitForBytesWritten(kConnectTimeoutMs);
    socket.disconnectFromServer();
    return sent;
}

} // namespace

QString SingleInstance::ServerName(const QString& instance_title) {
    const QByteArray digest =
        QCryptographicHash::hash(instance_title.toLower().toUtf8(), QCryptographicHash::Sha256);
    return QStringLiteral("launcher-%1-%2")
        .arg(::getuid())
        .arg(QString::fromLatin1(digest.toHex().left(24)));
}

QString SingleInstance::LockFilePath(const QString& instance_title) {
    return lock_file_in_runtime_folder(ServerName(instance_title));
}

std::unique_ptr<SingleInstance> SingleInstance::Claim(const QString& instance_title) {
    const QString name = ServerName(instance_title);
    auto lock = std::make_unique<QLockFile>(LockFilePath(instance_title));
    // Only a dead holder makes the lock stale, never its age: a launcher
    // may run for days.
    lock->setStaleLockTime(0);
    // A running launcher may hold the lock before its socket listens: the
    // request is retried for a while before this start gives up on it.
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        if (lock->tryLock(0))
            return std::unique_ptr<SingleInstance>(new SingleInstance(std::move(lock), name));
        if (lock->error() != QLockFile::LockFailedError)
            return std::unique_ptr<SingleInstance>(new SingleInstance(nullptr, name));
        if (send_show_request(name))
            return nullptr;
        QThread::msleep(100);
    }
    return nullptr;
}

SingleInstance::SingleInstance(std::unique_ptr<QLockFile> lock, const QString& server_name)
    : lock_(std::move(lock)) {
    // A socket file left by a killed launcher would make listening fail.
    QLocalServer::removeServer(server_name);
    server_.setSocketOptions(QLocalServer::UserAccessOption);
    server_.listen(server_name);
    connect(&server_, &QLocalServer::newConnection, this, [this] { accept_connections(); });
}

void SingleInstance::accept_connections() {
    while (QLocalSocket* socket = server_.nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            while (socket->canReadLine()) {
                if (socket->readLine() == kShowRequest && on_show_request_)
                    on_show_request_();
            }
        });
    }
}

} // namespace launcher::app
