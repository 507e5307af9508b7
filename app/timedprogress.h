// The progress of a long search: once it has run for half a second it shows
// the route search dialog (a gauge over its parts and Cancel). The dialog's
// loop steps may run script code, so the project records stay in use (and
// are refused to the script) while it is up.
#ifndef VARKO_APP_TIMEDPROGRESS_H
#define VARKO_APP_TIMEDPROGRESS_H

#include <chrono>
#include <cstddef>
#include <optional>

#include "minpath.h"
#include "project.h"

namespace route {

class TimedProgress final : public SearchProgress {
 public:
  // parts: the searches the work is made of (legs, or sweeps of a surface)
  explicit TimedProgress(std::size_t parts);
  ~TimedProgress() override;
  TimedProgress(const TimedProgress&) = delete;
  TimedProgress& operator=(const TimedProgress&) = delete;

  void StartLeg(std::size_t part) { part_ = part; }
  bool cancelled() const { return cancelled_; }

  bool Settled(long long settled, long long nodes) override;

 private:
  std::size_t parts_, part_ = 0;
  std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now(), last_;
  bool shown_ = false, cancelled_ = false;
  std::optional<RecordsInUse> in_use_;
};

}  // namespace route

#endif
