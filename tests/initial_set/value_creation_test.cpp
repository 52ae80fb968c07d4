#include <gtest/gtest.h>

#include <set>

#include "engine/controls.h"
#include "engine/options_keys.h"
#include "engine/parameters.h"
#include "engine_fixture.h"
#include "initial_set/initial_set.h"
#include "initial_set/value_creation.h"

namespace mv::value_creation_test {
namespace {

std::set<int32_t> keys_drawn(int dist, int rows, int distinct, bool wide, int samples = 2000) {
  std::set<int32_t> keys;
  random_seed = 99;
  for (int i = 0; i < samples; ++i)
    keys.insert(value_for(dist, i % 100, 100, rows, distinct, wide));
  return keys;
}

TEST(ValueCreation, DistributionExamples) {
  // One distinct value: R div 2 for every distribution but the last.
  for (int dist = 0; dist < 20; ++dist) {
    EXPECT_EQ(keys_drawn(dist, 50, 1, false, 50), (std::set<int32_t>{25})) << "dist " << dist;
  }
  std::set<int32_t> one_to_ten;
  for (int k = 1; k <= 10; ++k) one_to_ten.insert(k);
  EXPECT_EQ(keys_drawn(0, 10, 10, false), one_to_ten);
  EXPECT_EQ(keys_drawn(0, 10, 3, true), (std::set<int32_t>{0, 5, 10}));
  // Every random distribution stays inside 0..R.
  for (int dist = 0; dist <= 19; ++dist) {
    for (bool wide : {false, true}) {
      for (int32_t k : keys_drawn(dist, 300, 300, wide, 3000)) {
        ASSERT_GE(k, 0) << "dist " << dist;
        ASSERT_LE(k, 300) << "dist " << dist;
      }
    }
  }
  EXPECT_EQ(value_for(20, 41, 100, 7, 3, true), 42);
  EXPECT_EQ(value_for(19, 7, 100, 10, 3, false), (7 % 3 + 1) * 10 / 4 + 1);
}

TEST(ValueCreation, CubicDistributionsArePointSymmetricAndDrawNothing) {
  for (int dist : {17, 18}) {
    const int n = 100, rows = 400;
    random_seed = 5;
    for (int i = 1; i < n; ++i) {
      const int32_t a = value_for(dist, i, n, rows, rows, false);
      const int32_t b = value_for(dist, n - i, n, rows, rows, false);
      EXPECT_EQ(a - rows / 2, rows / 2 - b) << "dist " << dist << " i " << i;
    }
    EXPECT_EQ(random_seed, 5u);
    EXPECT_LT(value_for(dist, 10, n, rows, rows, false), value_for(dist, 90, n, rows, rows, false));
  }
}

TEST(ValueCreation, ColoursOfEveryLineSet) {
  EXPECT_EQ(colour_for(0, false, false, 4, 10, 2, 3), 0u);
  EXPECT_EQ(colour_for(0, false, true, 4, 10, 2, 3), 16777215u);
  // two-tone over positions, n = 4: red (4-p)*255/4, blue p*255/4
  EXPECT_EQ(colour_for(1, false, false, 4, 10, 0, 9), 255u);
  EXPECT_EQ(colour_for(1, false, false, 4, 10, 2, 9), 127u | (127u << 16));
  // two-tone over keys, R = 10, key 5
  EXPECT_EQ(colour_for(1, true, false, 4, 10, 0, 5), 127u | (127u << 16));
  // tri-colour, n = 4, h = 2
  EXPECT_EQ(colour_for(2, false, false, 4, 10, 1, 0), 127u | (127u << 8));
  EXPECT_EQ(colour_for(2, false, false, 4, 10, 2, 0), 255u << 8);
  EXPECT_EQ(colour_for(2, false, false, 4, 10, 3, 0), (127u << 8) | (127u << 16));
  // colour circle, n = 6, c = 3: p = 4 lies in the second third
  EXPECT_EQ(colour_for(3, false, false, 6, 10, 4, 0), (170u << 8) | (85u << 16));
  EXPECT_EQ(colour_for(3, false, false, 6, 10, 5, 0), (85u << 8) | (170u << 16));
  // a key beyond R never spills into the neighbouring bytes
  EXPECT_EQ(colour_for(1, true, false, 4, 10, 0, 20) >> 24, 0u);
}

class InitialSet : public ::testing::Test {
 protected:
  void SetUp() override { set_first_start_defaults(65535, 65535, 100, 100); }
  void TearDown() override { set_first_start_defaults(65535, 65535, 100, 100); }
  static std::vector<int32_t> keys() { return test::keys_of_set(); }
};

TEST_F(InitialSet, BuildsSortedOrShuffledSetsWithPositionsAndColours) {
  settings.columns = 37;
  controls.ComboBox2 = 1;
  random_seed = 3;
  CreateInitialSet();
  ASSERT_EQ(column_count(), 37);
  EXPECT_EQ(elements.size(), 56u);  // Round(1.5 * 37 + 0.1)
  EXPECT_TRUE(test::keys_sorted());
  for (int i = 0; i < 37; ++i) EXPECT_EQ(elements[i].start_position, i);
  const auto sorted = keys();

  controls.ComboBox2 = 0;
  random_seed = 3;
  CreateInitialSet();
  auto shuffled = keys();
  EXPECT_NE(shuffled, sorted);
  std::sort(shuffled.begin(), shuffled.end());
  EXPECT_EQ(shuffled, sorted);

  controls.ComboBox3 = distribution_natural_once;
  controls.ComboBox2 = 1;
  CreateInitialSet();
  for (int i = 0; i < 37; ++i) EXPECT_EQ(elements[i].key, i + 1);

  // Distribution 19 keeps its repeated ascending runs on an "unsorted" set.
  controls.ComboBox3 = distribution_natural_shuffled;
  controls.ComboBox2 = 0;
  controls.SpinEdit7 = 5;
  CreateInitialSet();
  for (int i = 5; i < 37; ++i) EXPECT_EQ(elements[i].key, elements[i - 5].key);
}

TEST_F(InitialSet, ReversesAndRotation) {
  settings.columns = 10;
  controls.ComboBox3 = distribution_natural_once;
  controls.ComboBox2 = 1;
  controls.CheckBox4 = true;
  CreateInitialSet();
  EXPECT_EQ(keys(), (std::vector<int32_t>{10, 9, 8, 7, 6, 5, 4, 3, 2, 1}));
  controls.CheckBox6 = true;
  CreateInitialSet();
  EXPECT_EQ(keys(), (std::vector<int32_t>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
  for (int r : {10, -10, 0}) {
    controls.SpinEdit8 = r;
    CreateInitialSet();
    EXPECT_EQ(keys(), (std::vector<int32_t>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
  }
  controls.SpinEdit8 = 1;
  CreateInitialSet();
  EXPECT_EQ(keys(), (std::vector<int32_t>{10, 1, 2, 3, 4, 5, 6, 7, 8, 9}));
  controls.SpinEdit8 = -3;
  CreateInitialSet();
  EXPECT_EQ(keys(), (std::vector<int32_t>{4, 5, 6, 7, 8, 9, 10, 1, 2, 3}));
}

TEST(Parameters, ColumnDependentDefaults) {
  EXPECT_EQ(shear_sort_rows_for(24), 4);
  EXPECT_EQ(shear_sort_rows_for(25), 1);
  EXPECT_EQ(shear_sort_rows_for(100), 5);  // 9, 8, 7 and 6 do not divide 100
  EXPECT_EQ(minrun1_for(100), 50);
  EXPECT_EQ(minrun2_for(100), 25);
  EXPECT_EQ(minrun2_for(31), 31);
  EXPECT_EQ(minrun1_for(65), 33);  // 65 = 1000001b: s = 1, 32 plus one for the low bit
  EXPECT_EQ(recursion_depth_for(100), 7);
  recompute_column_defaults(24);
  EXPECT_EQ(parameters.maximale_Tauschdistanz, 23);
  EXPECT_EQ(parameters.NUMBER, 12);
  EXPECT_EQ(parameters.Param_shearsort, 4);
}

}  // namespace
}  // namespace mv::value_creation_test
