// The batch tool's progress on long work: one line on standard error, redrawn in place (runs
// done of total, the current entry, the time left), erased at the end. Nothing goes to standard
// output.
#pragma once

#include <chrono>
#include <cstddef>
#include <string>

namespace mv::batch {

class ProgressBar {
 public:
  // Shown only when `enabled`, with more than one run, and the descriptor `fd` is a terminal.
  ProgressBar(bool enabled, size_t total, int fd = 2);
  ~ProgressBar();
  ProgressBar(const ProgressBar&) = delete;
  ProgressBar& operator=(const ProgressBar&) = delete;

  bool shown() const { return shown_; }
  // Run k (0-based) starts on `entry`.
  void start(size_t k, const std::string& entry);
  // Erases the line.
  void finish();

  // The line for `done` of `total` runs, `elapsed` seconds so far, in `width` characters.
  static std::string line(size_t done, size_t total, const std::string& entry, double elapsed,
                          int width);

 private:
  void write(const std::string& text);

  bool shown_ = false;
  size_t total_;
  int fd_;
  std::chrono::steady_clock::time_point began_;
  std::chrono::steady_clock::time_point last_draw_{};
};

}  // namespace mv::batch
