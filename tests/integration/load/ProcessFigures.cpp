#include "tests/integration/load/ProcessFigures.h"

#include <filesystem>
#include <fstream>
#include <ostream>
#include <string>

namespace load_test {
namespace {

int Entries(const char* folder) {
  int count = 0;
  std::error_code error;
  for (auto it = std::filesystem::directory_iterator(folder, error);
       !error && it != std::filesystem::directory_iterator(); it.increment(error))
    ++count;
  return count;
}

long ResidentKiB() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
  }
  return 0;
}

}  // namespace

ProcessFigures ProcessFigures::Now() {
  return {Entries("/proc/self/task"), Entries("/proc/self/fd"), ResidentKiB()};
}

std::ostream& operator<<(std::ostream& out, const ProcessFigures& figures) {
  return out << "threads " << figures.threads << ", descriptors " << figures.descriptors
             << ", resident " << figures.rssKiB << " KiB";
}

}  // namespace load_test
