#include "engine/real/CurlDefaults.h"

#include <cstdlib>

namespace engine {
namespace {

constexpr long kMaxRedirects = 5;

}  // namespace

CURL* NewStreamRequest(const StreamOptions& options, const std::string& url) {
  CURL* easy = curl_easy_init();
  if (!easy) return nullptr;
  curl_easy_setopt(easy, CURLOPT_URL, url.c_str());
  curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(easy, CURLOPT_MAXREDIRS, kMaxRedirects);
  curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(options.timeoutMs));
  curl_easy_setopt(easy, CURLOPT_USERAGENT, options.agent.c_str());
  curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(easy, CURLOPT_BUFFERSIZE, 16384L);
  // The usual OpenSSL override of the trusted authorities; the packaged libcurl pins its own
  // bundle path otherwise.
  if (const char* bundle = std::getenv("SSL_CERT_FILE"); bundle && *bundle)
    curl_easy_setopt(easy, CURLOPT_CAINFO, bundle);
  return easy;
}

}  // namespace engine
