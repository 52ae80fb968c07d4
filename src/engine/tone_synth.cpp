#include "engine/tone_synth.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <numbers>

namespace mv {

double tone_frequency(int32_t key, int32_t key_max) {
  const double magnitude = std::abs(static_cast<double>(key));
  const double top = std::max<double>(key_max, 1);
  const double x = std::clamp(magnitude / top, 0.0, 1.0);
  return tone_low_hz * std::pow(tone_high_hz / tone_low_hz, x);
}

// ---- Synthesizer ----------------------------------------------------------------------------

ToneSynth::ToneSynth(Shape shape) : shape_(shape) {
  shape_.sample_rate = std::max(shape_.sample_rate, 1000);
  shape_.max_voices = std::max(shape_.max_voices, 1);
  const double rate = shape_.sample_rate;
  voices_.resize(static_cast<size_t>(shape_.max_voices));
  attack_rate_ = 1.0 / std::max(1.0, shape_.attack_s * rate);
  release_rate_ = 1.0 / std::max(1.0, shape_.release_s * rate);
  hold_samples_ = static_cast<int>(std::lround(shape_.hold_s * rate));
}

void ToneSynth::note_on(double frequency) {
  auto quieter = [](const Voice& a, const Voice& b) {
    if ((a.stage == Stage::off) != (b.stage == Stage::off)) return a.stage == Stage::off;
    if ((a.stage == Stage::release) != (b.stage == Stage::release)) {
      return a.stage == Stage::release;
    }
    return a.level < b.level;
  };
  Voice& v = *std::min_element(voices_.begin(), voices_.end(), quieter);
  v.step = 2.0 * std::numbers::pi * frequency / shape_.sample_rate;
  v.stage = Stage::attack;
  v.held = 0;
}

void ToneSynth::render(float* out, int frames) {
  std::fill(out, out + std::max(frames, 0), 0.0f);
  const double scale = 1.0 / static_cast<double>(voices_.size());
  for (Voice& v : voices_) {
    for (int s = 0; s < frames && v.stage != Stage::off; ++s) {
      switch (v.stage) {
        case Stage::attack:
          v.level += attack_rate_;
          if (v.level >= 1.0) {
            v.level = 1.0;
            v.stage = Stage::hold;
          }
          break;
        case Stage::hold:
          if (++v.held >= hold_samples_) v.stage = Stage::release;
          break;
        case Stage::release:
          v.level -= release_rate_;
          if (v.level <= 0.0) {
            v.level = 0.0;
            v.stage = Stage::off;
          }
          break;
        case Stage::off:
          break;
      }
      out[s] += static_cast<float>(std::sin(v.phase) * v.level * scale);
      v.phase += v.step;
      if (v.phase > 2.0 * std::numbers::pi) v.phase -= 2.0 * std::numbers::pi;
    }
  }
}

void ToneSynth::render_block(const int32_t* keys, int count, int32_t key_max, float* out,
                             int frames) {
  // A block starts no more tones than there are voices: the newest keys.
  if (count > shape_.max_voices) {
    keys += count - shape_.max_voices;
    count = shape_.max_voices;
  }
  int done = 0;
  for (int k = 0; k < count; ++k) {
    const int start = static_cast<int>(static_cast<int64_t>(k) * frames / count);
    render(out + done, start - done);
    done = start;
    note_on(tone_frequency(keys[k], key_max));
  }
  render(out + done, frames - done);
}

int ToneSynth::active_voices() const {
  return static_cast<int>(std::count_if(voices_.begin(), voices_.end(),
                                        [](const Voice& v) { return v.stage != Stage::off; }));
}

// ---- Feed -----------------------------------------------------------------------------------

int TouchFeed::take(int32_t* out, int max) {
  const uint32_t written = written_.load(std::memory_order_acquire);
  uint32_t available = written - read_;
  const uint32_t wanted = static_cast<uint32_t>(std::clamp<int>(max, 0, capacity));
  if (available > wanted) available = wanted;
  for (uint32_t k = 0; k < available; ++k) {
    out[k] = keys_[(written - available + k) % capacity].load(std::memory_order_relaxed);
  }
  read_ = written;
  return static_cast<int>(available);
}

// ---- Recordings -----------------------------------------------------------------------------

std::vector<float> render_touches(const std::vector<int32_t>& keys, int32_t key_max,
                                  double seconds_per_touch, ToneSynth::Shape shape) {
  ToneSynth synth(shape);
  const double rate = synth.shape().sample_rate;
  const int block = std::max(1, static_cast<int>(std::lround(tone_block_s * rate)));
  const double tail = shape.attack_s + shape.hold_s + shape.release_s + tone_block_s;
  const auto total = static_cast<size_t>(
      std::ceil((static_cast<double>(keys.size()) * seconds_per_touch + tail) * rate));
  std::vector<float> samples((total + block - 1) / block * block);
  size_t next = 0;  // first key not yet played
  for (size_t first = 0; first < samples.size(); first += block) {
    const double block_end = static_cast<double>(first + block) / rate;
    size_t end = next;
    while (end < keys.size() && static_cast<double>(end) * seconds_per_touch < block_end) ++end;
    synth.render_block(keys.data() + next, static_cast<int>(end - next), key_max,
                       samples.data() + first, block);
    next = end;
  }
  return samples;
}

bool write_wav(const std::string& path, const std::vector<float>& samples, int sample_rate) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  auto u32 = [&](uint32_t v) {
    const unsigned char b[4] = {static_cast<unsigned char>(v), static_cast<unsigned char>(v >> 8),
                                static_cast<unsigned char>(v >> 16),
                                static_cast<unsigned char>(v >> 24)};
    std::fwrite(b, 1, 4, f);
  };
  auto u16 = [&](uint16_t v) {
    const unsigned char b[2] = {static_cast<unsigned char>(v), static_cast<unsigned char>(v >> 8)};
    std::fwrite(b, 1, 2, f);
  };
  const auto data_bytes = static_cast<uint32_t>(samples.size() * 2);
  std::fwrite("RIFF", 1, 4, f);
  u32(36 + data_bytes);
  std::fwrite("WAVEfmt ", 1, 8, f);
  u32(16);
  u16(1);  // PCM
  u16(1);  // mono
  u32(static_cast<uint32_t>(sample_rate));
  u32(static_cast<uint32_t>(sample_rate) * 2);
  u16(2);
  u16(16);
  std::fwrite("data", 1, 4, f);
  u32(data_bytes);
  for (float s : samples) {
    const auto v = static_cast<int16_t>(std::lround(std::clamp(s, -1.0f, 1.0f) * 32767.0f));
    u16(static_cast<uint16_t>(v));
  }
  const bool written = std::ferror(f) == 0;
  return std::fclose(f) == 0 && written;
}

}  // namespace mv
