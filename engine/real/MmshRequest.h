// One HTTP GET of an MMSH session, run on the stream's network thread with the engine's
// connection settings (time-out, user agent, redirects; proxies as curl finds them).
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "engine/real/HeaderLines.h"
#include "engine/real/Stream.h"

namespace engine {

class MmshRequest {
 public:
  // Body bytes of a 2xx reply; false ends the transfer (which is then no failure).
  using Body = std::function<bool(const char* data, std::size_t size)>;
  struct Outcome {
    int error = BASS_OK;  // of the transfer itself: connection, time-out, HTTP status
  };

  MmshRequest(Stream& stream, std::string url, std::vector<std::string> lines)
      : stream_(stream), url_(std::move(url)), lines_(std::move(lines)) {}

  Outcome Run(const Body& body);
  const HeaderLines& Headers() const { return headers_; }

 private:
  static size_t OnHeader(char* data, size_t size, size_t count, void* self);
  static size_t OnBody(char* data, size_t size, size_t count, void* self);
  static int OnProgress(void* self, curl_off_t, curl_off_t, curl_off_t, curl_off_t);

  Stream& stream_;
  const std::string url_;
  const std::vector<std::string> lines_;
  const Body* body_ = nullptr;
  HeaderLines headers_;
  bool accepted_ = false;  // the final reply is a 2xx one
  bool stopped_ = false;   // the body sink ended the transfer
  int error_ = BASS_OK;
};

}  // namespace engine
