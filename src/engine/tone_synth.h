// Tones for hearing a run: every touched element starts a short sine tone whose pitch rises with
// the element's key, with a short attack and release, and never more than a few at once. Plain
// C++ without any sound system, so that it runs and is tested headless; the window program feeds
// its output to the audio device.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

namespace mv {

// The pitch of the smallest and of the largest possible key.
constexpr double tone_low_hz = 120.0;
constexpr double tone_high_hz = 1200.0;

// Pitch of a key on a log scale: |key| = 0 gives tone_low_hz, |key| >= key_max tone_high_hz.
double tone_frequency(int32_t key, int32_t key_max);

// Sample rate, voice cap and the envelope of every tone.
struct ToneShape {
  int sample_rate = 44100;
  int max_voices = 4;
  double attack_s = 0.004;
  double hold_s = 0.020;
  double release_s = 0.030;
};

class ToneSynth {
 public:
  using Shape = ToneShape;

  explicit ToneSynth(Shape shape = {});

  // Starts a tone. When every voice sounds, the quietest one takes the new pitch: its phase runs
  // on and its level rises from where it was, so the change makes no click.
  void note_on(double frequency);
  // The next `frames` mono samples, each within -1 .. 1 (all voices at full level sum to 1).
  void render(float* out, int frames);
  // One block of a run: the tones of `count` touched keys start evenly spread over the block.
  void render_block(const int32_t* keys, int count, int32_t key_max, float* out, int frames);

  int active_voices() const;
  const Shape& shape() const { return shape_; }

 private:
  enum class Stage { off, attack, hold, release };
  struct Voice {
    Stage stage = Stage::off;
    double phase = 0;  // radians
    double step = 0;   // radians per sample
    double level = 0;
    int held = 0;  // samples spent in the hold stage
  };

  Shape shape_;
  std::vector<Voice> voices_;
  double attack_rate_;   // level gained per sample
  double release_rate_;  // level lost per sample
  int hold_samples_;
};

// Keys of touched elements, handed from the threads of a run to the audio thread without a lock.
// A writer never waits; the reader takes only the newest keys, so a fast run cannot fall behind.
class TouchFeed {
 public:
  static constexpr uint32_t capacity = 64;

  // Any thread. No read-modify-write, so a push costs next to nothing; two threads pushing at
  // once may overwrite each other's key, which a tone can spare.
  void push(int32_t key) {
    const uint32_t k = written_.load(std::memory_order_relaxed);
    keys_[k % capacity].store(key, std::memory_order_relaxed);
    written_.store(k + 1, std::memory_order_release);
  }
  // One reader: the keys pushed since its last take, oldest first, at most the newest `max`.
  int take(int32_t* out, int max);

 private:
  std::array<std::atomic<int32_t>, capacity> keys_{};
  std::atomic<uint32_t> written_{0};
  uint32_t read_ = 0;
};

// Length of one block of the audio thread: the tones of a block start within it.
constexpr double tone_block_s = 0.010;

// Renders touches that came one every `seconds_per_touch` through the same blocks and voices as
// the audio thread (for recordings and tests).
std::vector<float> render_touches(const std::vector<int32_t>& keys, int32_t key_max,
                                  double seconds_per_touch, ToneShape shape = {});

// Writes mono samples as a 16-bit PCM WAV file; false when the file cannot be written.
bool write_wav(const std::string& path, const std::vector<float>& samples, int sample_rate);

}  // namespace mv
