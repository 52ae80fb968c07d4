#include <gtest/gtest.h>

#include <algorithm>

#include "engine/controls.h"
#include "engine/options_keys.h"
#include "engine_fixture.h"
#include "initial_set/initial_set.h"

namespace mv::presorting_test {
namespace {

class Presorting : public ::testing::Test {
 protected:
  void SetUp() override { set_first_start_defaults(65535, 65535, 100, 100); }
  void TearDown() override { set_first_start_defaults(65535, 65535, 100, 100); }
  // Natural numbers 1..n, reversed or shuffled, then the presorting method.
  static std::vector<int32_t> build(int method, int n, bool reversed = true) {
    settings.columns = n;
    settings.rows = n;
    controls.ComboBox3 = distribution_natural_once;
    controls.ComboBox2 = reversed ? 1 : 0;
    controls.CheckBox4 = reversed;
    controls.ComboBox4 = method;
    normalise_controls();
    CreateInitialSet();
    return test::keys_of_set();
  }
};

TEST_F(Presorting, EveryMethodKeepsTheKeys) {
  for (int method = 0; method < 37; ++method) {
    if (!presorting_implemented(method)) continue;
    for (int n : {2, 3, 5, 17, 64, 101}) {
      for (int amount : {0, 1, 3, 1000}) {
        for (bool reversed : {true, false}) {
          controls.SpinEdit4 = amount;
          controls.SpinEdit6 = amount;
          controls.SpinEdit10 = amount;
          controls.SpinEdit9 = amount;
          random_seed = static_cast<uint32_t>(method * 1000 + n);
          ASSERT_TRUE(test::is_permutation_of_1_to_n(build(method, n, reversed)))
              << "method " << method << " n " << n << " amount " << amount;
        }
      }
    }
  }
}

TEST_F(Presorting, PartialSortsSortWhatTheyPromise) {
  controls.SpinEdit6 = 0;
  const auto reversed = build(0, 10);
  EXPECT_EQ(build(7, 10), reversed);  // insertion presort of size 0: the first element only
  controls.SpinEdit6 = 4;
  auto keys = build(7, 10);
  EXPECT_TRUE(std::is_sorted(keys.begin(), keys.begin() + 5));
  keys = build(8, 10);
  EXPECT_TRUE(std::is_sorted(keys.end() - 4, keys.end()));
  keys = build(19, 10);  // four selection steps: 1, 2, 3, 4 in front
  EXPECT_EQ(std::vector<int32_t>(keys.begin(), keys.begin() + 4),
            (std::vector<int32_t>{1, 2, 3, 4}));
  keys = build(1, 10);  // four bubble passes bring the four smallest to the front
  EXPECT_EQ(std::vector<int32_t>(keys.begin(), keys.begin() + 4),
            (std::vector<int32_t>{1, 2, 3, 4}));
  controls.SpinEdit6 = 10;
  for (int method : {1, 2, 5, 6, 7, 10, 11, 12, 15, 19, 20, 21, 24}) {
    keys = build(method, 10);
    EXPECT_TRUE(std::is_sorted(keys.begin(), keys.end())) << method;
  }
  controls.SpinEdit4 = 1000;
  for (int method : {3, 4, 13, 16, 17, 18, 25, 26}) {
    controls.SpinEdit9 = 1000;
    keys = build(method, 37);
    EXPECT_TRUE(std::is_sorted(keys.begin(), keys.end())) << method;
  }
}

TEST_F(Presorting, BinaryShuffleLowersItsLoopsToTheKeyBits) {
  controls.SpinEdit4 = 100;
  build(27, 37);  // rows 37: bits 5 .. 0
  EXPECT_EQ(controls.SpinEdit4, 6);
  controls.SpinEdit4 = 2;
  build(27, 37);
  EXPECT_EQ(controls.SpinEdit4, 2);
}

TEST_F(Presorting, PerfectShufflesAndTheirRepetition) {
  auto sorted_then = [](int method, int n, int rounds) {
    settings.columns = n;
    controls.ComboBox3 = distribution_natural_once;
    controls.ComboBox2 = 1;
    controls.CheckBox4 = false;
    controls.ComboBox4 = method;
    controls.SpinEdit4 = rounds;
    CreateInitialSet();
    return test::keys_of_set();
  };
  EXPECT_EQ(sorted_then(32, 8, 1), (std::vector<int32_t>{5, 1, 6, 2, 7, 3, 8, 4}));
  EXPECT_EQ(sorted_then(33, 8, 1), (std::vector<int32_t>{2, 4, 6, 8, 1, 3, 5, 7}));
  EXPECT_EQ(sorted_then(34, 8, 1), (std::vector<int32_t>{1, 5, 2, 6, 3, 7, 4, 8}));
  EXPECT_EQ(sorted_then(32, 9, 1), (std::vector<int32_t>{5, 1, 6, 2, 7, 3, 8, 4, 9}));
  // 2 has order 6 modulo 9: six rounds, or six hundred million, give the sorted set again.
  EXPECT_EQ(sorted_then(32, 8, 6), sorted_then(0, 8, 0));
  EXPECT_EQ(sorted_then(33, 8, 600000000), sorted_then(0, 8, 0));
  EXPECT_EQ(sorted_then(32, 8, 600000001), sorted_then(32, 8, 1));
}

// The round-counted methods skip rounds once their state repeats, and the perfect shuffles take
// a power of their permutation: the set must be the one every round gives. Equal keys with
// "stable comparings" are the case where rounds exchange equal elements without end.
TEST_F(Presorting, SkippedRoundsGiveTheSetEveryRoundGives) {
  struct Shape {
    int columns, distinct, structure;
  };
  const Shape shapes[] = {{61, 0, 0}, {64, 5, 0}, {100, 30, 3}, {37, 2, 20}, {90, 0, 13}};
  auto build_keys = [](const Shape& shape, int method, int rounds, bool stable, bool shortcuts) {
    set_first_start_defaults(65535, 65535, 100, 100);
    settings.columns = shape.columns;
    controls.SpinEdit7 = shape.distinct == 0 ? 100 : shape.distinct;
    controls.ComboBox2 = shape.structure;
    controls.ComboBox4 = method;
    controls.SpinEdit4 = rounds;
    settings.stable_comparings_checked = stable;
    normalise_controls();
    random_seed = 4242;
    presorting_round_shortcuts = shortcuts;
    CreateInitialSet();
    presorting_round_shortcuts = true;
    return test::keys_of_set();
  };
  int differing_from_start = 0;
  for (int method : {3, 13, 22, 32, 33, 34, 35}) {
    for (const Shape& shape : shapes) {
      for (bool stable : {true, false}) {
        const auto start = build_keys(shape, method, 0, stable, false);
        for (int rounds : {1, 2, 3, 7, 40, 301}) {
          const auto every = build_keys(shape, method, rounds, stable, false);
          EXPECT_EQ(build_keys(shape, method, rounds, stable, true), every)
              << "method " << method << " columns " << shape.columns << " rounds " << rounds
              << " stable " << stable;
          differing_from_start += every != start;
        }
      }
    }
  }
  EXPECT_GT(differing_from_start, 100);  // the rounds did change the sets compared
}

TEST_F(Presorting, Exchanges) {
  controls.SpinEdit10 = 0;
  const auto start = build(0, 20, false);
  random_seed = 8;
  const auto same_seed = build(0, 20, false);
  random_seed = 8;
  controls.SpinEdit10 = 0;
  const auto none = build(36, 20, false);
  EXPECT_EQ(none, same_seed);
  (void)start;
  // n div 2 pairs: every position takes part in exactly one exchange.
  controls.CheckBox4 = false;
  controls.SpinEdit10 = 10;
  const auto all = build(36, 20, true);
  for (int i = 0; i < 20; ++i) EXPECT_NE(all[i], 20 - i) << i;
  controls.SpinEdit10 = 3;
  const auto three = build(36, 20, true);
  int moved = 0;
  for (int i = 0; i < 20; ++i) moved += three[i] != 20 - i;
  EXPECT_EQ(moved, 6);
}

}  // namespace
}  // namespace mv::presorting_test
