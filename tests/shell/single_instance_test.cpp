#include <gtest/gtest.h>

#include <QFile>
#include <QSignalSpy>
#include <QTest>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <thread>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <iterator>

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

sockaddr_un addressOf(const QString& path)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray name = QFile::encodeName(path);
    EXPECT_LT(std::size_t(name.size()), sizeof(address.sun_path));
    std::memcpy(address.sun_path, name.constData(), std::min(std::size_t(name.size()), sizeof(address.sun_path) - 1));
    return address;
}

// What a crashed copy leaves: a socket file nobody listens on.
void leaveDeadSocket(const QString& path)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(fd, 0);
    const sockaddr_un address = addressOf(path);
    ASSERT_EQ(::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)), 0);
    ::close(fd);
}

// A stranger's connection to the running copy; -1 when it does not listen.
int connectTo(const QString& path)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    const sockaddr_un address = addressOf(path);
    if (fd >= 0 && ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0)
        return fd;
    if (fd >= 0)
        ::close(fd);
    return -1;
}

bool sendAll(int fd, const QByteArray& bytes)
{
    return ::send(fd, bytes.constData(), std::size_t(bytes.size()), MSG_NOSIGNAL) == bytes.size();
}

// True once the running copy has closed its end of the connection.
bool cutOff(int fd)
{
    char byte;
    const ssize_t received = ::recv(fd, &byte, 1, MSG_DONTWAIT);
    return received == 0 || (received < 0 && errno == ECONNRESET);
}

std::size_t openFileCount()
{
    const std::filesystem::directory_iterator entries("/proc/self/fd");
    return std::size_t(std::distance(begin(entries), end(entries)));
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

// A holder of the lock that never answers (hung) is given up on, saying so; one that lets its lock
// go while it is asked (ending) is taken over.
TEST_F(SingleInstanceTest, AHolderThatDoesNotAnswerIsGivenUpOnOrTakenOverWhenItGoes)
{
    const QByteArray lockPath = QFile::encodeName(QString::fromStdString(runtime.file(ui::kProductString)) + ".lock");
    const int hung = ::open(lockPath.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    ASSERT_GE(hung, 0);
    ASSERT_EQ(::flock(hung, LOCK_EX | LOCK_NB), 0);
    ui::SingleInstance late(ui::kProductString);
    EXPECT_EQ(late.start(), Role::Unanswered);

    std::thread ending([hung] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        ::close(hung);
    });
    ui::SingleInstance successor(ui::kProductString);
    const Role role = successor.start();
    ending.join();
    EXPECT_EQ(role, Role::Primary);
    QSignalSpy activated(&successor, &ui::SingleInstance::activationRequested);
    ui::SingleInstance next(ui::kProductString);
    EXPECT_EQ(next.start(), Role::Secondary);
    EXPECT_TRUE(activated.wait(kWaitMs)) << "the successor listens";
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
    const int stranger = connectTo(first.socketPath());
    ASSERT_GE(stranger, 0);
    ASSERT_TRUE(sendAll(stranger, QByteArray(4096, 'x')));
    ASSERT_TRUE(sendAll(stranger, "activate\n"));
    EXPECT_TRUE(QTest::qWaitFor([stranger] { return cutOff(stranger); }, kWaitMs));
    EXPECT_EQ(activated.count(), 0);
    ::close(stranger);
}

TEST_F(SingleInstanceTest, PeerThatSaysAnythingElseIsCutOff)
{
    struct Case {
        const char* what;
        QByteArray talk;
        int activations;
    };
    const Case cases[] = {
        {"another line", "hello\n", 0},
        {"the request with a carriage return", "activate\r\n", 0},
        {"a long line that never ends", QByteArray(100, 'x'), 0},
        {"a request, then something else", "activate\nactivate now\n", 1},
    };
    ui::SingleInstance first(ui::kProductString);
    ASSERT_EQ(first.start(), Role::Primary);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QSignalSpy activated(&first, &ui::SingleInstance::activationRequested);
        const int peer = connectTo(first.socketPath());
        ASSERT_GE(peer, 0);
        ASSERT_TRUE(sendAll(peer, c.talk));
        EXPECT_TRUE(QTest::qWaitFor([peer] { return cutOff(peer); }, kWaitMs));
        EXPECT_EQ(activated.count(), c.activations);
        ::close(peer);
    }
}

TEST_F(SingleInstanceTest, RequestArrivingInPiecesActivatesOnce)
{
    ui::SingleInstance first(ui::kProductString);
    ASSERT_EQ(first.start(), Role::Primary);
    QSignalSpy activated(&first, &ui::SingleInstance::activationRequested);
    const int peer = connectTo(first.socketPath());
    ASSERT_GE(peer, 0);
    ASSERT_TRUE(sendAll(peer, "acti"));
    QTest::qWait(50);
    EXPECT_EQ(activated.count(), 0);
    ASSERT_TRUE(sendAll(peer, "vate\n"));
    EXPECT_TRUE(activated.wait(kWaitMs));
    EXPECT_EQ(activated.count(), 1);
    EXPECT_FALSE(cutOff(peer));
    ::close(peer);
}

TEST_F(SingleInstanceTest, OnlyTheUserMayConnect)
{
    ui::SingleInstance first(ui::kProductString);
    ASSERT_EQ(first.start(), Role::Primary);
    struct stat status{};
    ASSERT_EQ(::stat(QFile::encodeName(first.socketPath()).constData(), &status), 0);
    EXPECT_TRUE(S_ISSOCK(status.st_mode));
    EXPECT_EQ(status.st_mode & 0777, 0600u);
}

// Connections still open when the running copy ends are closed with it, and nothing is left open.
TEST_F(SingleInstanceTest, EndingTheCopyClosesEverything)
{
    const std::size_t before = openFileCount();
    const QString socketPath = QString::fromStdString(runtime.file(ui::kProductString));
    int peer = -1;
    {
        ui::SingleInstance first(ui::kProductString);
        ASSERT_EQ(first.start(), Role::Primary);
        QSignalSpy activated(&first, &ui::SingleInstance::activationRequested);
        ui::SingleInstance second(ui::kProductString);
        ASSERT_EQ(second.start(), Role::Secondary);
        peer = connectTo(first.socketPath());
        ASSERT_GE(peer, 0);
        ASSERT_TRUE(sendAll(peer, "activate\n"));
        ASSERT_TRUE(QTest::qWaitFor([&activated] { return activated.count() == 2; }, kWaitMs));
        EXPECT_FALSE(cutOff(peer));
    }
    EXPECT_TRUE(cutOff(peer));
    ::close(peer);
    EXPECT_EQ(openFileCount(), before);
    EXPECT_FALSE(QFile::exists(socketPath));
}

TEST_F(SingleInstanceTest, UnusableRuntimeFolderRunsUnguarded)
{
    qputenv("XDG_RUNTIME_DIR", QByteArray::fromStdString(runtime.file("missing")));
    ui::SingleInstance instance(ui::kProductString);
    EXPECT_EQ(instance.start(), Role::Unguarded);
}

}  // namespace
}  // namespace kestrion::test
