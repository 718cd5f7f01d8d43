// The running player's end of the hand-off channel. It accepts connections of its own user
// only, reads one bounded message from each within a time bound, opens the path on the
// window's thread and then acknowledges it, so the second start can end.
#pragma once

#include <QObject>
#include <QPointer>
#include <chrono>
#include <exception>
#include <functional>
#include <string>

class QLocalServer;
class QLocalSocket;

namespace app {

class HandoffServer : public QObject {
  Q_OBJECT

 public:
  // Opens a handed-over path; may raise. Errors derived from std::exception go to the error
  // function after the sender has been answered; anything else propagates.
  using OpenFunction = std::function<void(const std::string& path)>;
  using ErrorFunction = std::function<void(const std::exception&)>;

  HandoffServer(OpenFunction open, ErrorFunction error, QObject* parent = nullptr);
  ~HandoffServer() override;

  // Accepts on a listening local socket; takes the descriptor in every case.
  bool Listen(int listeningFd);
  // No more hand-offs: connections waiting for their path to be opened are closed unanswered.
  void Stop();

  std::chrono::milliseconds readLimit{5000};

 private:
  void Accept();
  void Start(QLocalSocket* socket);
  void Deliver(const std::string& path, QPointer<QLocalSocket> socket);
  static void Drop(QLocalSocket* socket);

  OpenFunction open_;
  ErrorFunction error_;
  QLocalServer* server_;
  bool stopped_ = false;
  int connections_ = 0;
};

}  // namespace app
