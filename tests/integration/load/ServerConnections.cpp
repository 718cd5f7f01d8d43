#include "tests/integration/load/ServerConnections.h"

#include <curl/curl.h>

#include <QByteArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <fstream>
#include <sstream>

namespace load_test {
namespace {

constexpr int kEstablished = 0x01;
constexpr int kCloseWait = 0x08;

// "0100007F:1F90" -> 0x1F90
int PortOf(const std::string& address) {
  const auto colon = address.find(':');
  return colon == std::string::npos ? -1 : std::stoi(address.substr(colon + 1), nullptr, 16);
}

std::size_t Append(char* data, std::size_t size, std::size_t count, void* target) {
  static_cast<std::string*>(target)->append(data, size * count);
  return size * count;
}

std::string Fetch(const std::string& url) {
  std::string body;
  CURL* curl = curl_easy_init();
  if (!curl) return body;
  curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, Append);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &body);
  curl_easy_setopt(curl, CURLOPT_TIMEOUT, 10L);
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
  if (curl_easy_perform(curl) != CURLE_OK) body.clear();
  curl_easy_cleanup(curl);
  return body;
}

}  // namespace

std::vector<int> OpenServerConnections(int port) {
  std::vector<int> clients;
  std::ifstream table("/proc/net/tcp");
  std::string line;
  std::getline(table, line);  // column names
  while (std::getline(table, line)) {
    std::istringstream fields(line);
    std::string slot, local, remote, state;
    if (!(fields >> slot >> local >> remote >> state)) continue;
    const int code = std::stoi(state, nullptr, 16);
    if (PortOf(local) == port && (code == kEstablished || code == kCloseWait))
      clients.push_back(PortOf(remote));
  }
  return clients;
}

std::map<int, std::string> RequestsByClientPort(const std::string& base) {
  std::map<int, std::string> requests;
  std::istringstream lines(Fetch(base + "/_log"));
  for (std::string line; std::getline(lines, line);) {
    const QJsonObject entry = QJsonDocument::fromJson(QByteArray::fromStdString(line)).object();
    if (entry.contains("client_port"))
      requests[entry["client_port"].toInt()] = entry["target"].toString().toStdString();
  }
  return requests;
}

}  // namespace load_test
