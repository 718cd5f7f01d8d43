#include "engine/real/MmshRequest.h"

#include <cstdlib>

#include "engine/real/Network.h"

namespace engine {
namespace {

constexpr long kMaxRedirects = 5;

}  // namespace

MmshRequest::Outcome MmshRequest::Run(const Body& body) {
  body_ = &body;
  curl_slist* request = nullptr;
  for (const auto& line : lines_) request = curl_slist_append(request, line.c_str());
  CURL* easy = curl_easy_init();
  CURLM* multi = stream_.Multi();
  CURLcode result = CURLE_OUT_OF_MEMORY;
  if (easy && multi) {
    const auto& options = stream_.options;
    curl_easy_setopt(easy, CURLOPT_URL, url_.c_str());
    curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http");
    curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, "http");
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(easy, CURLOPT_MAXREDIRS, kMaxRedirects);
    curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(options.timeoutMs));
    curl_easy_setopt(easy, CURLOPT_USERAGENT, options.agent.c_str());
    curl_easy_setopt(easy, CURLOPT_HTTPHEADER, request);
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, &MmshRequest::OnHeader);
    curl_easy_setopt(easy, CURLOPT_HEADERDATA, this);
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &MmshRequest::OnBody);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, this);
    curl_easy_setopt(easy, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(easy, CURLOPT_XFERINFOFUNCTION, &MmshRequest::OnProgress);
    curl_easy_setopt(easy, CURLOPT_XFERINFODATA, this);
    curl_easy_setopt(easy, CURLOPT_BUFFERSIZE, 16384L);
    if (curl_multi_add_handle(multi, easy) == CURLM_OK) {
      int running = 1;
      while (running && !stream_.Dead()) {
        if (curl_multi_perform(multi, &running) != CURLM_OK) break;
        if (running) curl_multi_poll(multi, nullptr, 0, 1000, nullptr);
      }
      int left = 0;
      result = CURLE_ABORTED_BY_CALLBACK;
      while (CURLMsg* message = curl_multi_info_read(multi, &left)) {
        if (message->msg == CURLMSG_DONE) result = message->data.result;
      }
      curl_multi_remove_handle(multi, easy);
    }
  }
  curl_easy_cleanup(easy);
  curl_slist_free_all(request);
  body_ = nullptr;
  if (error_ != BASS_OK) return {error_};
  if (stopped_ || result == CURLE_OK) return {BASS_OK};
  return {ErrorForCurl(result)};
}

size_t MmshRequest::OnHeader(char* data, size_t size, size_t count, void* self) {
  auto* request = static_cast<MmshRequest*>(self);
  const std::size_t bytes = size * count;
  switch (request->headers_.Add(std::string_view(data, bytes))) {
    case HeaderLines::Result::kMore:
      return bytes;
    case HeaderLines::Result::kTooLarge:
      request->error_ = BASS_ERROR_MEM;
      return 0;
    case HeaderLines::Result::kComplete:
      break;
  }
  const int status = request->headers_.Status();
  if (status >= 100 && status < 200) return bytes;
  if (status >= 300 && status < 400 && request->headers_.Value("location")) return bytes;
  if (status < 200 || status >= 300) {
    request->error_ = BASS_ERROR_HTTP;
    return 0;
  }
  request->accepted_ = true;
  return bytes;
}

size_t MmshRequest::OnBody(char* data, size_t size, size_t count, void* self) {
  auto* request = static_cast<MmshRequest*>(self);
  const std::size_t bytes = size * count;
  if (request->stream_.Dead()) return 0;
  if (!request->accepted_) return bytes;
  if ((*request->body_)(data, bytes)) return bytes;
  request->stopped_ = true;
  return 0;
}

int MmshRequest::OnProgress(void* self, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
  return static_cast<MmshRequest*>(self)->stream_.Dead() ? 1 : 0;
}

}  // namespace engine
