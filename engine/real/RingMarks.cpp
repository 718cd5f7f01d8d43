#include "engine/real/RingMarks.h"

#include <limits>

namespace engine {

void RingMarks::Add(Mark mark) {
  std::lock_guard lock(mutex_);
  if (marks_.size() >= kMaxMarks) marks_.pop_front();
  marks_.push_back(std::move(mark));
}

void RingMarks::AddTitle(std::uint64_t at, std::string text) {
  Add({at, false, std::move(text)});
}

void RingMarks::AddRestart(std::uint64_t at) {
  Add({at, true, {}});
}

std::size_t RingMarks::ReadableBefore(std::uint64_t consumed) const {
  std::lock_guard lock(mutex_);
  for (const auto& mark : marks_) {
    if (mark.restart && mark.at >= consumed) return static_cast<std::size_t>(mark.at - consumed);
  }
  return std::numeric_limits<std::size_t>::max();
}

bool RingMarks::TakeRestart(std::uint64_t consumed) {
  std::lock_guard lock(mutex_);
  for (auto it = marks_.begin(); it != marks_.end(); ++it) {
    if (it->restart && it->at == consumed) {
      marks_.erase(it);
      return true;
    }
  }
  return false;
}

std::vector<std::string> RingMarks::TakeTitles(std::uint64_t consumed) {
  std::vector<std::string> due;
  std::lock_guard lock(mutex_);
  while (!marks_.empty() && marks_.front().at < consumed) {
    if (!marks_.front().restart) due.push_back(std::move(marks_.front().title));
    marks_.pop_front();
  }
  return due;
}

}  // namespace engine
