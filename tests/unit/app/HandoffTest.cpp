// A second start handing its path to a running player, both ends in this process: the start
// runs on a thread while the test's thread runs the player's event loop.
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <cstring>
#include <future>
#include <optional>
#include <stdexcept>
#include <thread>
#include <vector>

#include "app/HandoffMessage.h"
#include "app/HandoffServer.h"
#include "app/Instance.h"
#include "tests/support/TempFolder.h"

namespace {

using namespace std::chrono_literals;
using Kind = app::InstanceStart::Kind;

constexpr uid_t kNobody = 65534;

template <class F>
auto WhilePumping(F work) {
  auto result = std::async(std::launch::async, work);
  while (result.wait_for(5ms) != std::future_status::ready) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
  }
  return result.get();
}

void PumpFor(std::chrono::milliseconds time) {
  const auto end = std::chrono::steady_clock::now() + time;
  while (std::chrono::steady_clock::now() < end) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
  }
}

// A running player: its socket, and a server that records what it was asked to open.
struct Player {
  explicit Player(const std::string& folder)
      : start(app::StartInstance(folder, "", ::geteuid(), {})),
        server([this](const std::string& path) { Open(path); },
               [this](const std::exception& e) { errors.push_back(e.what()); }) {
    EXPECT_EQ(start.kind, Kind::kRunPlayer);
    EXPECT_TRUE(start.socket) << start.note;
    server.Listen(start.socket.ReleaseFd());
  }
  void Open(const std::string& path) {
    opened.push_back(path);
    if (raise) throw std::runtime_error("Cannot open file \"" + path + "\"");
  }

  app::InstanceStart start;
  app::HandoffServer server;
  std::vector<std::string> opened;
  std::vector<std::string> errors;
  bool raise = false;
};

class HandoffTest : public testing::Test {
 protected:
  app::InstanceStart Hand(const std::string& path, app::HandoffLimits limits = {}) {
    return WhilePumping([&] { return app::StartInstance(folder_.path(), path, uid_, limits); });
  }
  std::vector<std::string> Sockets() { return app::PlayerSocketsNewestFirst(folder_.path()); }

  TempFolder folder_;
  const uid_t uid_ = ::geteuid();
};

TEST_F(HandoffTest, TheFirstStartWithAPathRunsAsThePlayer) {
  const app::InstanceStart start = Hand("/music/radio.pls");
  EXPECT_EQ(start.kind, Kind::kRunPlayer);
  ASSERT_TRUE(start.socket);
  EXPECT_EQ(Sockets(), std::vector<std::string>{start.socket.path()});
}

TEST_F(HandoffTest, ASecondStartHandsItsPathOverAndTheSocketGoesWithThePlayer) {
  std::string socketPath;
  {
    Player player(folder_.path());
    socketPath = player.start.socket.path();
    const std::string longPath = "/" + std::string(5000, 'p') + "/Radio.PLS";
    for (const std::string& path : {std::string("/music/Radio.PLS"), longPath}) {
      const app::InstanceStart start = Hand(path);
      EXPECT_EQ(start.kind, Kind::kHandedOver) << start.note;
    }
    EXPECT_EQ(player.opened, (std::vector<std::string>{"/music/Radio.PLS", longPath}));
  }
  EXPECT_NE(::access(socketPath.c_str(), F_OK), 0);
}

TEST_F(HandoffTest, AnErrorWhileOpeningStillAnswersThenReachesTheErrorBox) {
  Player player(folder_.path());
  player.raise = true;
  EXPECT_EQ(Hand("/music/locked.pls").kind, Kind::kHandedOver);
  EXPECT_EQ(player.errors, std::vector<std::string>{"Cannot open file \"/music/locked.pls\""});
}

TEST_F(HandoffTest, TwoPlayersRunAndTheNewestTakesTheHandoff) {
  Player first(folder_.path());
  std::this_thread::sleep_for(2ms);  // names carry the start time in microseconds
  Player second(folder_.path());
  EXPECT_EQ(Sockets().size(), 2u);
  EXPECT_EQ(Hand("/a.pls").kind, Kind::kHandedOver);
  EXPECT_TRUE(first.opened.empty());
  EXPECT_EQ(second.opened, std::vector<std::string>{"/a.pls"});
  second.server.Stop();  // the newest closes: the next start reaches the first
  EXPECT_EQ(Hand("/b.pls").kind, Kind::kHandedOver);
  EXPECT_EQ(first.opened, std::vector<std::string>{"/b.pls"});
}

TEST_F(HandoffTest, ASocketLeftByACrashedPlayerIsRemovedAndDoesNotBlock) {
  std::string error;
  const std::string stale = folder_ / app::PlayerSocketName(1, 0x7ffffff0);
  app::ListenAt(stale, error);  // the listener closes at once, the file stays
  ASSERT_EQ(::access(stale.c_str(), F_OK), 0) << error;
  const app::InstanceStart start = Hand("/a.pls");
  EXPECT_EQ(start.kind, Kind::kRunPlayer);
  EXPECT_NE(::access(stale.c_str(), F_OK), 0);
  // Without an argument only sockets whose process is gone are touched.
  const std::string oursNotListening = folder_ / app::PlayerSocketName(2, ::getpid());
  const std::string gone = folder_ / app::PlayerSocketName(3, 0x7ffffff0);
  app::ListenAt(oursNotListening, error);
  app::ListenAt(gone, error);
  Hand("");
  EXPECT_EQ(::access(oursNotListening.c_str(), F_OK), 0);
  EXPECT_NE(::access(gone.c_str(), F_OK), 0);
}

TEST_F(HandoffTest, APlayerThatNeverAnswersDoesNotHoldTheSecondStartPastTheBound) {
  std::string error;
  // Listening, never accepting: the kernel takes the connection and the message.
  app::UniqueFd hung = app::ListenAt(folder_ / app::PlayerSocketName(1, ::getpid()), error);
  ASSERT_TRUE(hung) << error;
  app::HandoffLimits limits;
  limits.answer = 300ms;
  const app::InstanceStart start = Hand("/a.pls", limits);
  EXPECT_EQ(start.kind, Kind::kNotHandedOver);
  EXPECT_EQ(start.note, "the running player did not answer");
}

TEST_F(HandoffTest, APlayerThatClosesWithoutAnsweringPassesTheHandoffOn) {
  Player older(folder_.path());
  std::this_thread::sleep_for(2ms);
  std::string error;
  // The newest name: the start tries it first.
  const std::string name = app::PlayerSocketName(9999999999999999, ::getpid());
  app::UniqueFd ending = app::ListenAt(folder_ / name, error);
  ASSERT_TRUE(ending) << error;
  std::thread closer([&] {
    pollfd p{ending.get(), POLLIN, 0};
    if (::poll(&p, 1, 10000) == 1) ::close(::accept(ending.get(), nullptr, nullptr));
  });
  EXPECT_EQ(Hand("/a.pls").kind, Kind::kHandedOver);
  closer.join();
  EXPECT_EQ(older.opened, std::vector<std::string>{"/a.pls"});
}

// Writes raw bytes to the player and tells whether it answered before closing.
bool RawSend(const std::string& socketPath, const std::string& bytes, bool closeWrite = true) {
  app::UniqueFd fd;
  if (app::ConnectToPlayer(socketPath, ::geteuid(), 2s, fd) != app::ConnectResult::kConnected) {
    return false;
  }
  ::send(fd.get(), bytes.data(), bytes.size(), MSG_NOSIGNAL);
  if (closeWrite) ::shutdown(fd.get(), SHUT_WR);
  return WhilePumping([&] {
    pollfd p{fd.get(), POLLIN, 0};
    char byte = 0;
    return ::poll(&p, 1, 5000) == 1 && ::recv(fd.get(), &byte, 1, 0) == 1;
  });
}

TEST_F(HandoffTest, MalformedOversizedAndUnfinishedMessagesAreDroppedUnanswered) {
  Player player(folder_.path());
  player.server.readLimit = 200ms;
  const std::string path = player.start.socket.path();
  std::string oversized = *app::EncodeHandoff("/a.pls");
  oversized[4] = '\x7f';
  EXPECT_FALSE(RawSend(path, "GET / HTTP/1.0\r\n\r\n"));
  EXPECT_FALSE(RawSend(path, oversized));
  EXPECT_FALSE(RawSend(path, *app::EncodeHandoff("/a.pls") + "more"));
  EXPECT_FALSE(RawSend(path, app::EncodeHandoff("/a.pls")->substr(0, 9), false));  // stalls
  EXPECT_TRUE(player.opened.empty());
  EXPECT_TRUE(RawSend(path, *app::EncodeHandoff("/good.pls")));  // the player goes on
  EXPECT_EQ(player.opened, std::vector<std::string>{"/good.pls"});
}

TEST_F(HandoffTest, AnotherUsersHandoffIsRefused) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to connect as another user";
  // Open the folder and the socket to everyone, so only the peer check stands in the way.
  Player player(folder_.path());
  ASSERT_EQ(::chmod(folder_.path().c_str(), 0755), 0);
  ASSERT_EQ(::chmod(player.start.socket.path().c_str(), 0777), 0);
  const std::string message = *app::EncodeHandoff("/tmp/evil.pls");
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strcpy(address.sun_path, player.start.socket.path().c_str());
  const pid_t child = ::fork();
  if (child == 0) {
    // Only system calls from here on. Exit 0: connected and not answered.
    if (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0) ::_exit(2);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) ::_exit(3);
    ::send(fd, message.data(), message.size(), MSG_NOSIGNAL);
    char byte = 0;
    ::_exit(::recv(fd, &byte, 1, 0) == 1 ? 1 : 0);
  }
  ASSERT_GT(child, 0);
  int status = -1;
  const auto deadline = std::chrono::steady_clock::now() + 10s;
  while (::waitpid(child, &status, WNOHANG) == 0 && std::chrono::steady_clock::now() < deadline) {
    PumpFor(10ms);
  }
  ASSERT_TRUE(WIFEXITED(status)) << status;
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_TRUE(player.opened.empty());
}

TEST(AbsolutePath, JoinsARelativePathToTheFolderItWasGivenIn) {
  EXPECT_EQ(app::AbsolutePath("list.pls", "/home/u"), "/home/u/list.pls");
  EXPECT_EQ(app::AbsolutePath("../x/List.PLS", "/home/u/"), "/home/u/../x/List.PLS");
  EXPECT_EQ(app::AbsolutePath("a.pls", "/"), "/a.pls");
  EXPECT_EQ(app::AbsolutePath("/abs/a.pls", "/home/u"), "/abs/a.pls");
  EXPECT_EQ(app::AbsolutePath("", "/home/u"), "");
}

}  // namespace
