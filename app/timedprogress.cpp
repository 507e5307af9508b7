// The half-second progress dialog of long searches (see timedprogress.h).
#include "timedprogress.h"

#include <algorithm>

#include "gauge.h"

namespace route {

TimedProgress::TimedProgress(std::size_t parts) : parts_(std::max<std::size_t>(1, parts)) {}

TimedProgress::~TimedProgress() {
  if (shown_) SearchDialogClose();
}

bool TimedProgress::Settled(long long settled, long long nodes) {
  using std::chrono::steady_clock;
  const steady_clock::time_point now = steady_clock::now();
  if (!shown_) {
    if (now - start_ < std::chrono::milliseconds(500)) return true;
    in_use_.emplace();
    shown_ = true;
    SearchDialogOpen();
  } else if (now - last_ < std::chrono::milliseconds(40)) {
    return true;
  }
  last_ = now;
  const double within = nodes > 0 ? std::min(1.0, static_cast<double>(settled) / nodes) : 0;
  if (!SearchDialogUpdate((static_cast<double>(part_) + within) / static_cast<double>(parts_)))
    cancelled_ = true;
  return !cancelled_;
}

}  // namespace route
