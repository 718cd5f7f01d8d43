#include "engine/real/HlsFetch.h"

#include "engine/real/CurlDefaults.h"
#include "engine/real/HeaderLines.h"
#include "engine/real/Network.h"

namespace engine {
namespace {

struct Collector {
  Stream& stream;
  std::size_t limit;
  HeaderLines headers;
  std::string body;
  int error = BASS_OK;
};

size_t OnHeader(char* data, size_t size, size_t count, void* self) {
  auto* collector = static_cast<Collector*>(self);
  const std::size_t bytes = size * count;
  if (collector->headers.Add(std::string_view(data, bytes)) == HeaderLines::Result::kTooLarge) {
    collector->error = BASS_ERROR_MEM;
    return 0;
  }
  return bytes;
}

size_t OnBody(char* data, size_t size, size_t count, void* self) {
  auto* collector = static_cast<Collector*>(self);
  const std::size_t bytes = size * count;
  if (collector->stream.Dead()) return 0;
  if (collector->body.size() + bytes > collector->limit) {
    collector->error = BASS_ERROR_MEM;
    return 0;
  }
  collector->body.append(data, bytes);
  return bytes;
}

int OnProgress(void* self, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
  return static_cast<Collector*>(self)->stream.Dead() ? 1 : 0;
}

}  // namespace

HlsReply FetchWhole(Stream& stream, const std::string& url, std::size_t limit,
                    std::chrono::milliseconds within) {
  HlsReply reply;
  Collector collector{stream, limit, {}, {}};
  CURL* easy = NewStreamRequest(stream.options, url);
  CURLM* multi = stream.Multi();
  CURLcode result = CURLE_OUT_OF_MEMORY;
  if (easy && multi) {
    curl_easy_setopt(easy, CURLOPT_TIMEOUT_MS,
                     static_cast<long>(stream.options.timeoutMs + within.count()));
    curl_easy_setopt(easy, CURLOPT_FAILONERROR, 1L);
    curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, &OnHeader);
    curl_easy_setopt(easy, CURLOPT_HEADERDATA, &collector);
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &OnBody);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, &collector);
    curl_easy_setopt(easy, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(easy, CURLOPT_XFERINFOFUNCTION, &OnProgress);
    curl_easy_setopt(easy, CURLOPT_XFERINFODATA, &collector);
  }
  if (easy && multi && curl_multi_add_handle(multi, easy) == CURLM_OK) {
    int running = 1;
    while (running && !stream.Dead()) {
      if (curl_multi_perform(multi, &running) != CURLM_OK) break;
      if (running) curl_multi_poll(multi, nullptr, 0, 1000, nullptr);
    }
    int left = 0;
    result = CURLE_ABORTED_BY_CALLBACK;
    while (CURLMsg* message = curl_multi_info_read(multi, &left)) {
      if (message->msg == CURLMSG_DONE) result = message->data.result;
    }
    char* effective = nullptr;
    if (curl_easy_getinfo(easy, CURLINFO_EFFECTIVE_URL, &effective) == CURLE_OK && effective)
      reply.url = effective;
    curl_multi_remove_handle(multi, easy);
  }
  curl_easy_cleanup(easy);
  if (reply.url.empty()) reply.url = url;
  if (collector.error != BASS_OK)
    reply.error = collector.error;
  else if (result != CURLE_OK)
    reply.error = ErrorForCurl(result);
  reply.headers = collector.headers.Series();
  reply.body = std::move(collector.body);
  return reply;
}

}  // namespace engine
