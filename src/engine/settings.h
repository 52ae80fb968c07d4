// Settings that the counted operations read at every call, so that a key on the display acts at
// once. The control form (or the batch tool) writes them; worker threads read them, hence atomics.
#pragma once

#include <atomic>
#include <cstdint>

namespace mv {

enum class LineSet : int { monochrome = 0, two_tone = 1, tri_colour = 2, colour_circle = 3 };
enum class Background : int { white = 0, black = 1 };

constexpr int brake_factor_max = 9999;

struct LiveSettings {
  std::atomic<int> brake_factor{0};               // "brake factor", 0..9999
  std::atomic<bool> colorize_comparisons{false};  // "colorize comparisons"
  std::atomic<LineSet> line_set{LineSet::tri_colour};
  std::atomic<Background> background{Background::white};
  std::atomic<bool> correct_movings{false};  // "correct movings"
  std::atomic<bool> optional_swaps{false};   // "optional swaps"
  std::atomic<bool> stable_comparings_checked{true};
  std::atomic<bool> stable_comparings_enabled{true};
  std::atomic<bool> stabilize_locally{
      false};  // "locally" under "enforce stability:", enabled and checked
  std::atomic<bool> stabilize_globally{false};   // "globally", enabled and checked
  std::atomic<bool> control_form_hidden{false};  // decides the colour of value-counting sorts
  std::atomic<int> columns{100};                 // "columns"
  std::atomic<int> rows{100};                    // "rows"
  // Item index 0..25 of "algorithm for block swapping / array rotation"; block_swap reads it at
  // every call. Item 0 ("out of place / ex situ") is the first-start choice.
  std::atomic<int> block_swap_method{0};
  // "quick block swapping": equally sized blocks are exchanged pairwise whatever the method.
  std::atomic<bool> quick_block_swapping{false};
  // "sound": each drawn comparison, moving and swapping sounds a tone (set it with set_sound).
  std::atomic<bool> sound{false};
  // "show counters during processing": the display shows the counts over the columns.
  std::atomic<bool> live_counters{false};

  // Every setting back to its first-start value (columns and rows stay).
  void reset_to_defaults() {
    brake_factor = 0;
    colorize_comparisons = false;
    line_set = LineSet::tri_colour;
    background = Background::white;
    correct_movings = false;
    optional_swaps = false;
    stable_comparings_checked = true;
    stable_comparings_enabled = true;
    stabilize_locally = false;
    stabilize_globally = false;
    control_form_hidden = false;
    block_swap_method = 0;
    quick_block_swapping = false;
    sound = false;
    live_counters = false;
  }

  bool stable_comparings_active() const {
    return stable_comparings_enabled.load(std::memory_order_relaxed) &&
           stable_comparings_checked.load(std::memory_order_relaxed);
  }
};

extern LiveSettings settings;

}  // namespace mv
