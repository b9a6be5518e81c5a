#include <gtest/gtest.h>

#include <QFile>
#include <QLocalSocket>
#include <QSignalSpy>
#include <QTest>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>

#include "ui/product_names.h"
#include "ui/qt_app.h"
#include "shell/single_instance.h"
#include "support/temp_dir.h"

namespace kestrion::test {
namespace {

using Role = ui::SingleInstance::Role;

constexpr int kWaitMs = 5000;

// A private runtime folder per test, so that no test meets another's copy of the tool.
class SingleInstanceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ensureQtApp();
        previous = qgetenv("XDG_RUNTIME_DIR");
        qputenv("XDG_RUNTIME_DIR", QByteArray::fromStdString(runtime.path()));
    }
    void TearDown() override { qputenv("XDG_RUNTIME_DIR", previous); }

    TempDir runtime;
    QByteArray previous;
};

// What a crashed copy leaves: a socket file nobody listens on.
void leaveDeadSocket(const QString& path)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(fd, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray name = QFile::encodeName(path);
    ASSERT_LT(std::size_t(name.size()), sizeof(address.sun_path));
    std::memcpy(address.sun_path, name.constData(), std::size_t(name.size()));
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
    ::close(fd);
}

TEST_F(SingleInstanceTest, SecondCopyIsTurnedAwayAndTheFirstIsAskedToComeToTheFront)
{
    ui::SingleInstance first(ui::kProductString);
    ASSERT_EQ(first.start(), Role::Primary);
    EXPECT_TRUE(first.socketPath().startsWith(QString::fromStdString(runtime.path())));
    QSignalSpy activated(&first, &ui::SingleInstance::activationRequested);

    ui::SingleInstance second(ui::kProductString);
    EXPECT_EQ(second.start(), Role::Secondary);
    EXPECT_TRUE(activated.wait(kWaitMs));
    EXPECT_EQ(activated.count(), 1);

    ui::SingleInstance third(ui::kProductString);
    EXPECT_EQ(third.start(), Role::Secondary);
    EXPECT_TRUE(QTest::qWaitFor([&activated] { return activated.count() == 2; }, kWaitMs));
}

TEST_F(SingleInstanceTest, LeftoversOfACrashedCopyAreReplaced)
{
    const QString socketPath = QString::fromStdString(runtime.file(ui::kProductString));
    leaveDeadSocket(socketPath);
    QFile lock(socketPath + ".lock");
    ASSERT_TRUE(lock.open(QIODevice::WriteOnly));
    lock.close();

    ui::SingleInstance first(ui::kProductString);
    ASSERT_EQ(first.start(), Role::Primary);
    QSignalSpy activated(&first, &ui::SingleInstance::activationRequested);
    ui::SingleInstance second(ui::kProductString);
    EXPECT_EQ(second.start(), Role::Secondary);
    EXPECT_TRUE(activated.wait(kWaitMs));
}

TEST_F(SingleInstanceTest, EndedCopyLetsTheNextOneRun)
{
    {
        ui::SingleInstance first(ui::kProductString);
        ASSERT_EQ(first.start(), Role::Primary);
    }
    ui::SingleInstance next(ui::kProductString);
    EXPECT_EQ(next.start(), Role::Primary);
}

TEST_F(SingleInstanceTest, OtherTalkOnTheSocketDoesNotActivate)
{
    ui::SingleInstance first(ui::kProductString);
    ASSERT_EQ(first.start(), Role::Primary);
    QSignalSpy activated(&first, &ui::SingleInstance::activationRequested);
    QLocalSocket stranger;
    stranger.connectToServer(first.socketPath());
    ASSERT_TRUE(stranger.waitForConnected(kWaitMs));
    stranger.write(QByteArray(4096, 'x'));
    stranger.write("activate\n");
    stranger.flush();
    EXPECT_TRUE(QTest::qWaitFor([&stranger] { return stranger.state() == QLocalSocket::UnconnectedState; },
                                kWaitMs));
    EXPECT_EQ(activated.count(), 0);
}

TEST_F(SingleInstanceTest, UnusableRuntimeFolderRunsUnguarded)
{
    qputenv("XDG_RUNTIME_DIR", QByteArray::fromStdString(runtime.file("missing")));
    ui::SingleInstance instance(ui::kProductString);
    EXPECT_EQ(instance.start(), Role::Unguarded);
}

}  // namespace
}  // namespace kestrion::test
