#include "batch/progress_bar.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace mv::batch {

namespace {

int terminal_width(int fd) {
  winsize ws{};
  if (ioctl(fd, TIOCGWINSZ, &ws) == 0 && ws.ws_col >= 20) return ws.ws_col;
  return 80;
}

std::string clock_text(double seconds) {
  const long s = std::lround(std::max(seconds, 0.0));
  char buf[32];
  if (s >= 3600) {
    std::snprintf(buf, sizeof buf, "%ld:%02ld:%02ld", s / 3600, s / 60 % 60, s % 60);
  } else {
    std::snprintf(buf, sizeof buf, "%ld:%02ld", s / 60, s % 60);
  }
  return buf;
}

}  // namespace

ProgressBar::ProgressBar(bool enabled, size_t total, int fd)
    : shown_(enabled && total > 1 && isatty(fd) == 1),
      total_(total),
      fd_(fd),
      began_(std::chrono::steady_clock::now()) {}

ProgressBar::~ProgressBar() {
  finish();
}

std::string ProgressBar::line(size_t done, size_t total, const std::string& entry, double elapsed,
                              int width) {
  const std::string left =
      done > 0 ? clock_text(elapsed / static_cast<double>(done) * static_cast<double>(total - done))
               : std::string("?");
  const std::string counts = " " + std::to_string(done) + "/" + std::to_string(total) + " ";
  const std::string tail = " " + left + " left";
  constexpr int bar_width = 20;
  const size_t filled = total ? done * bar_width / total : 0;
  std::string text = "[" + std::string(filled, '#') + std::string(bar_width - filled, '.') + "]";
  text += counts;
  // The entry gets what is left of the line; the text never reaches the last column, so the
  // terminal does not wrap.
  const int room = width - 1 - static_cast<int>(text.size() + tail.size());
  if (room > 3) {
    text += entry.size() <= static_cast<size_t>(room) ? entry : entry.substr(0, room - 3) + "...";
  }
  return text + tail;
}

void ProgressBar::start(size_t k, const std::string& entry) {
  if (!shown_) return;
  const auto now = std::chrono::steady_clock::now();
  // A redraw at most ten times a second, whatever the number of short runs.
  if (k != 0 && now - last_draw_ < std::chrono::milliseconds(100)) return;
  last_draw_ = now;
  const double elapsed = std::chrono::duration<double>(now - began_).count();
  const int width = terminal_width(fd_);
  std::string text = line(k, total_, entry, elapsed, width);
  text.resize(static_cast<size_t>(width - 1), ' ');
  write("\r" + text);
}

void ProgressBar::finish() {
  if (!shown_) return;
  shown_ = false;
  write("\r" + std::string(static_cast<size_t>(terminal_width(fd_) - 1), ' ') + "\r");
}

void ProgressBar::write(const std::string& text) {
  size_t at = 0;
  while (at < text.size()) {
    const ssize_t n = ::write(fd_, text.data() + at, text.size() - at);
    if (n <= 0) return;
    at += static_cast<size_t>(n);
  }
}

}  // namespace mv::batch
