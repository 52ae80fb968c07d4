// The tone synthesizer: pitch of a key, the frequencies it actually produces, the voice cap, no
// clicks, the feed between threads, and a recording of a quick sort.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <numbers>
#include <vector>

#include "engine/main_thread.h"
#include "engine/tone_synth.h"
#include "engine_fixture.h"

namespace mv::tone_synth_test {
namespace {

// Power of frequency f in samples [first, first + count) (Goertzel, Hann window).
double power_at(const std::vector<float>& x, size_t first, size_t count, double f, int rate) {
  const double w = 2.0 * std::numbers::pi * f / rate;
  const double c = 2.0 * std::cos(w);
  double s1 = 0, s2 = 0;
  for (size_t k = 0; k < count; ++k) {
    const double hann = 0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * k / (count - 1));
    const double s0 = x[first + k] * hann + c * s1 - s2;
    s2 = s1;
    s1 = s0;
  }
  return s1 * s1 + s2 * s2 - c * s1 * s2;
}

double dominant_frequency(const std::vector<float>& x, size_t first, size_t count, int rate) {
  double best = 0, best_power = -1;
  for (double f = 80; f <= 1400; f += 1) {
    const double p = power_at(x, first, count, f, rate);
    if (p > best_power) {
      best_power = p;
      best = f;
    }
  }
  return best;
}

TEST(ToneSynth, PitchRisesWithTheKeyOnALogScale) {
  EXPECT_DOUBLE_EQ(tone_frequency(0, 100), 120.0);
  EXPECT_DOUBLE_EQ(tone_frequency(100, 100), 1200.0);
  EXPECT_NEAR(tone_frequency(50, 100), 120.0 * std::sqrt(10.0), 1e-9);
  EXPECT_DOUBLE_EQ(tone_frequency(-50, 100), tone_frequency(50, 100));  // drawn as |key|
  EXPECT_DOUBLE_EQ(tone_frequency(5000, 100), 1200.0);
  EXPECT_DOUBLE_EQ(tone_frequency(INT32_MIN, 0), 1200.0);  // no division by zero, no overflow
}

// Half a second each of the smallest, the largest and the middle key, a touch every 5 ms: each
// stretch sounds at its key's pitch.
TEST(ToneSynth, DominantFrequenciesFollowTheKeys) {
  std::vector<int32_t> keys;
  for (int32_t key : {0, 1000, 500}) keys.insert(keys.end(), 100, key);
  const ToneShape shape;
  const std::vector<float> samples = render_touches(keys, 1000, 0.005, shape);
  const int rate = shape.sample_rate;
  const auto stretch = static_cast<size_t>(0.5 * rate);
  const auto window = static_cast<size_t>(0.3 * rate);
  for (int k = 0; k < 3; ++k) {
    const double expected = tone_frequency(keys[k * 100], 1000);
    const double found = dominant_frequency(samples, k * stretch + rate / 10, window, rate);
    EXPECT_NEAR(found, expected, expected * 0.01) << "stretch " << k;
  }
}

TEST(ToneSynth, NeverMoreVoicesThanTheCapAndNoClicks) {
  ToneShape shape;
  shape.max_voices = 3;
  ToneSynth synth(shape);
  std::vector<float> out(7);
  float previous = 0, largest_jump = 0;
  int most = 0;
  for (int k = 0; k < 2000; ++k) {
    synth.note_on(k % 2 ? 1200.0 : 120.0 + k % 500);
    most = std::max(most, synth.active_voices());
    synth.render(out.data(), static_cast<int>(out.size()));
    for (float s : out) {
      ASSERT_LE(std::abs(s), 1.0f);
      largest_jump = std::max(largest_jump, std::abs(s - previous));
      previous = s;
    }
  }
  EXPECT_EQ(most, 3);
  // A full-level voice at 1200 Hz moves at most this far from one sample to the next; a voice
  // that jumped in level or phase would move further.
  EXPECT_LT(largest_jump, 2.0 * std::numbers::pi * 1200.0 / shape.sample_rate + 0.01);
  // After the release every voice is silent.
  std::vector<float> rest(shape.sample_rate / 10);
  synth.render(rest.data(), static_cast<int>(rest.size()));
  EXPECT_EQ(synth.active_voices(), 0);
  EXPECT_EQ(rest.back(), 0.0f);
}

TEST(ToneSynth, FeedHandsOverTheNewestKeys) {
  TouchFeed feed;
  int32_t out[TouchFeed::capacity];
  EXPECT_EQ(feed.take(out, 4), 0);
  for (int32_t k : {1, 2, 3}) feed.push(k);
  ASSERT_EQ(feed.take(out, 4), 3);
  EXPECT_EQ(std::vector<int32_t>(out, out + 3), (std::vector<int32_t>{1, 2, 3}));
  for (int32_t k = 0; k < 200; ++k) feed.push(k);
  ASSERT_EQ(feed.take(out, 4), 4);
  EXPECT_EQ(std::vector<int32_t>(out, out + 4), (std::vector<int32_t>{196, 197, 198, 199}));
  EXPECT_EQ(feed.take(out, 4), 0);
}

// Quick sort on 100 columns with colorized comparisons, about four seconds at 22,050 samples a
// second: a small WAV file. With MIVROLA_SOUND_SAMPLE set it is also written there.
TEST(ToneSynth, QuickSortRecording) {
  class Recorder : public Host {
   public:
    std::vector<int32_t> keys;
    void element_touched(int32_t key) override { keys.push_back(key); }
  } recorder;
  test::prepare_set(test::random_keys(100, 100, 20));
  settings.rows = 100;
  settings.colorize_comparisons = true;
  set_host(&recorder);
  mark_main_thread();
  set_sound(true);
  test::run_procedure(266);  // quick sort original
  set_sound(false);
  set_host(nullptr);
  ASSERT_TRUE(test::keys_sorted());
  ASSERT_GT(recorder.keys.size(), 500u);

  ToneShape shape;
  shape.sample_rate = 22050;
  const std::vector<float> samples =
      render_touches(recorder.keys, 100, 4.0 / recorder.keys.size(), shape);
  double energy = 0;
  for (float s : samples) energy += double(s) * s;
  EXPECT_GT(std::sqrt(energy / samples.size()), 0.05);

  const std::string path = ::testing::TempDir() + "quick_sort_100.wav";
  ASSERT_TRUE(write_wav(path, samples, shape.sample_rate));
  std::FILE* f = std::fopen(path.c_str(), "rb");
  ASSERT_NE(f, nullptr);
  std::fseek(f, 0, SEEK_END);
  const long size = std::ftell(f);
  std::fclose(f);
  std::remove(path.c_str());
  EXPECT_EQ(size, static_cast<long>(44 + 2 * samples.size()));
  EXPECT_LE(size, 200 * 1024);
  if (const char* out = std::getenv("MIVROLA_SOUND_SAMPLE")) {
    EXPECT_TRUE(write_wav(out, samples, shape.sample_rate));
  }
}

}  // namespace
}  // namespace mv::tone_synth_test
