#include "sources/Settings.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>

#include "os/RegularFile.h"
#include "sources/Station.h"
#include "sources/StationSelection.h"

namespace sources {
namespace {

constexpr std::size_t kRecordSize = 153;

struct Field {
  std::size_t offset;
  std::size_t capacity;
};
constexpr Field kName{0, 40};
constexpr Field kSite{41, 50};
constexpr Field kUrl{92, 60};

// A length byte above the field's capacity is cut at the capacity: the text never reaches
// into the next field or outside the record.
std::string FieldText(const unsigned char* record, Field field) {
  const std::size_t length = std::min<std::size_t>(record[field.offset], field.capacity);
  return std::string(reinterpret_cast<const char*>(record + field.offset + 1), length);
}

std::string IoErrorText(int code) {
  switch (code) {
    case 2:
      return "File not found";
    case 3:
      return "Invalid filename";
    case 4:
      return "Too many open files";
    case 5:
      return "File access denied";
    case 100:
      return "Read beyond end of file";
    case 101:
      return "Disk full";
    case 106:
      return "Invalid numeric input";
    default:
      return "I/O error " + std::to_string(code);
  }
}

// The system's error number in the numbering of the I/O error texts.
int IoErrorCode(int error) {
  switch (error) {
    case ENOENT:
      return 2;
    case ENOTDIR:
    case ENAMETOOLONG:
    case ELOOP:
      return 3;
    case EMFILE:
    case ENFILE:
      return 4;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
      return 5;
    case ENOSPC:
      return 101;
    default:
      return error;
  }
}

[[noreturn]] void RaiseIoError(int code) {
  throw InputError(IoErrorText(code));
}

}  // namespace

std::string SettingsPath() {
  std::error_code error;
  std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) return {};
  exe.replace_extension(".dta");
  return exe.string();
}

void ReadiniFrom(const std::string& path) {
  // Opened for reading and writing, as the file has always been: a file the user may not
  // write is refused. Only a regular file holds records.
  const os::OpenedFile opened = os::OpenRegularFile(path, O_RDWR);
  if (opened.error != 0) RaiseIoError(IoErrorCode(opened.error));
  if (opened.Absent()) return;
  const os::UniqueFd& file = opened.fd;
  struct stat info {};
  if (::fstat(file.get(), &info) != 0) RaiseIoError(IoErrorCode(errno));
  if (static_cast<std::size_t>(info.st_size) < kRecordSize) return;

  unsigned char record[kRecordSize];
  std::size_t got = 0;
  while (got < kRecordSize) {
    const ssize_t n = ::read(file.get(), record + got, kRecordSize - got);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) RaiseIoError(IoErrorCode(errno));
    if (n == 0) RaiseIoError(100);
    got += static_cast<std::size_t>(n);
  }
  StationName = FieldText(record, kName);
  StreamUrl = FieldText(record, kUrl);
  SiteAddress = FieldText(record, kSite);
}

void Readini() {
  ReadiniFrom(SettingsPath());
}

}  // namespace sources
