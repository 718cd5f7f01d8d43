#include "app/HandoffServer.h"

#include <unistd.h>

#include <QLocalServer>
#include <QLocalSocket>
#include <QTimer>
#include <memory>

#include "app/HandoffMessage.h"
#include "app/Logging.h"
#include "app/PlayerSockets.h"

namespace app {
namespace {

// Connections served at once; more are closed at once (their senders try another player).
constexpr int kMaxConnections = 128;

// Answers the sender when the opening has ended, whether it returned or raised.
class AnswerOnExit {
 public:
  explicit AnswerOnExit(QPointer<QLocalSocket> socket) : socket_(std::move(socket)) {}
  ~AnswerOnExit() {
    if (!socket_) return;
    socket_->write(&kHandoffAck, 1);
    socket_->disconnectFromServer();
  }
  AnswerOnExit(const AnswerOnExit&) = delete;
  AnswerOnExit& operator=(const AnswerOnExit&) = delete;

 private:
  QPointer<QLocalSocket> socket_;
};

}  // namespace

HandoffServer::HandoffServer(OpenFunction open, ErrorFunction error, QObject* parent)
    : QObject(parent),
      open_(std::move(open)),
      error_(std::move(error)),
      server_(new QLocalServer(this)) {
  server_->setMaxPendingConnections(kMaxConnections);
  connect(server_, &QLocalServer::newConnection, this, &HandoffServer::Accept);
}

HandoffServer::~HandoffServer() {
  Stop();
}

bool HandoffServer::Listen(int listeningFd) {
  if (server_->listen(listeningFd)) return true;
  ::close(listeningFd);
  return false;
}

void HandoffServer::Stop() {
  stopped_ = true;
  server_->close();
  for (QLocalSocket* socket : findChildren<QLocalSocket*>(Qt::FindDirectChildrenOnly)) {
    socket->abort();
  }
}

void HandoffServer::Accept() {
  while (QLocalSocket* socket = server_->nextPendingConnection()) {
    socket->setParent(this);
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    connect(socket, &QObject::destroyed, this, [this] { --connections_; });
    ++connections_;
    const auto peer = PeerUid(static_cast<int>(socket->socketDescriptor()));
    if (stopped_ || connections_ > kMaxConnections || peer != ::geteuid()) {
      qCInfo(lcHandoff) << "hand-off refused:"
                        << (stopped_                         ? "the window has closed"
                            : connections_ > kMaxConnections ? "too many connections"
                                                             : "another user's connection");
      Drop(socket);
    } else {
      Start(socket);
    }
  }
}

void HandoffServer::Start(QLocalSocket* socket) {
  auto reader = std::make_shared<HandoffReader>();
  const auto readSome = [this, socket, reader] {
    char buffer[4096];
    while (reader->state() == HandoffReader::State::kNeedMore) {
      const qint64 n = socket->read(buffer, sizeof buffer);
      if (n <= 0) return;
      reader->Feed(std::string_view(buffer, static_cast<std::size_t>(n)));
    }
    if (reader->state() != HandoffReader::State::kComplete) {
      qCInfo(lcHandoff) << "hand-off dropped: not a well-formed message";
      Drop(socket);
      return;
    }
    // One message a connection: what follows it is never read.
    disconnect(socket, &QLocalSocket::readyRead, this, nullptr);
    // Opened from the event loop, not from inside the socket's signal: the opening may show
    // a modal box, and the socket may be gone by the time it closes.
    QMetaObject::invokeMethod(
        this,
        [this, path = reader->path(), target = QPointer<QLocalSocket>(socket)] {
          Deliver(path, target);
        },
        Qt::QueuedConnection);
  };
  connect(socket, &QLocalSocket::readyRead, this, readSome);
  QTimer::singleShot(readLimit, socket, [socket, reader] {
    if (reader->state() != HandoffReader::State::kComplete) {
      qCInfo(lcHandoff) << "hand-off dropped: the message did not arrive in time";
      Drop(socket);
    }
  });
  readSome();
}

void HandoffServer::Deliver(const std::string& path, QPointer<QLocalSocket> socket) {
  if (stopped_ || !socket || socket->state() != QLocalSocket::ConnectedState) return;
  qCInfo(lcHandoff).noquote() << "hand-off:"
                              << QString::fromLocal8Bit(path.data(),
                                                        static_cast<qsizetype>(path.size()));
  try {
    AnswerOnExit answer(socket);
    open_(path);
  } catch (const std::exception& error) {
    error_(error);
  }
}

void HandoffServer::Drop(QLocalSocket* socket) {
  socket->abort();
  socket->deleteLater();
}

}  // namespace app
