#include "app/single_instance.h"

#include <QDir>
#include <QFile>
#include <QHostInfo>
#include <QTest>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

namespace launcher::app {
namespace {

// A title no other run of the tests uses.
QString unique_title(const char* name) {
    return QStringLiteral("%1 %2").arg(QString::fromLatin1(name)).arg(::getpid());
}

// The process id of a process that has ended.
qint64 dead_process_id() {
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(0);
    ::waitpid(child, nullptr, 0);
    return child;
}

TEST(SingleInstanceTest, SecondStartOfTheSameTitleAsksTheFirstToComeForward) {
    const QString title = unique_title("Launcher Title");
    const auto first = SingleInstance::Claim(title);
    ASSERT_TRUE(first);
    int show_requests = 0;
    first->SetOnShowRequest([&] { ++show_requests; });

    EXPECT_FALSE(SingleInstance::Claim(title.toUpper()));
    EXPECT_TRUE(QTest::qWaitFor([&] { return show_requests == 1; }, 10000));
}

TEST(SingleInstanceTest, DifferentTitlesRunSideBySide) {
    const auto first = SingleInstance::Claim(unique_title("First"));
    const auto second = SingleInstance::Claim(unique_title("Second"));
    EXPECT_TRUE(first);
    EXPECT_TRUE(second);
}

TEST(SingleInstanceTest, TitleIsFreeAgainOnceTheFirstHasEnded) {
    const QString title = unique_title("Ended");
    ASSERT_TRUE(SingleInstance::Claim(title));
    EXPECT_TRUE(SingleInstance::Claim(title));
}

TEST(SingleInstanceTest, LockAndSocketLeftByAKilledLauncherDoNotBlock) {
    const QString title = unique_title("Killed");
    const QString name = SingleInstance::ServerName(title);
    QFile lock(SingleInstance::LockFilePath(title));
    ASSERT_TRUE(lock.open(QIODevice::WriteOnly));
    lock.write(QStringLiteral("%1\n%2\n%3\n")
                   .arg(dead_process_id())
                   .arg(QCoreApplication::applicationName(), QHostInfo::localHostName())
                   .toUtf8());
    lock.close();
    // A socket file nobody listens on any more.
    const QByteArray socket_path = QDir(QDir::tempPath()).filePath(name).toLocal8Bit();
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof address.sun_path, "%s", socket_path.constData());
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ::close(fd);

    const auto instance = SingleInstance::Claim(title);
    ASSERT_TRUE(instance);
    int show_requests = 0;
    instance->SetOnShowRequest([&] { ++show_requests; });
    EXPECT_FALSE(SingleInstance::Claim(title));
    EXPECT_TRUE(QTest::qWaitFor([&] { return show_requests == 1; }, 10000));
}

} // namespace
} // namespace launcher::app
