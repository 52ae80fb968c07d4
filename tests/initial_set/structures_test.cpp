#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "engine/controls.h"
#include "engine/options_keys.h"
#include "engine_fixture.h"
#include "initial_set/initial_set.h"

namespace mv::structures_test {
namespace {

class Structures : public ::testing::Test {
 protected:
  void SetUp() override { set_first_start_defaults(65535, 65535, 100, 100); }
  void TearDown() override { set_first_start_defaults(65535, 65535, 100, 100); }
  // Natural numbers 1..n, arranged by the structure.
  static std::vector<int32_t> build(int structure, int n) {
    settings.columns = n;
    settings.rows = n;
    controls.ComboBox3 = distribution_natural_once;
    controls.ComboBox2 = structure;
    CreateInitialSet();
    return test::keys_of_set();
  }
};

TEST_F(Structures, EveryStructureKeepsTheKeys) {
  for (int structure = 0; structure < 28; ++structure) {
    for (bool exact : {true, false}) {
      for (int arrangement : {0, 1}) {
        for (int subsets : {1, 2, 5}) {
          for (int n : {2, 3, 4, 5, 7, 8, 16, 17, 31, 64, 100, 129}) {
            controls.CheckBox27 = exact;
            controls.RadioGroup6 = arrangement;
            controls.SpinEdit5 = subsets;
            controls.SpinEdit9 = 4;
            random_seed = static_cast<uint32_t>(n * 31 + structure);
            const auto keys = build(structure, n);
            ASSERT_TRUE(test::is_permutation_of_1_to_n(keys))
                << "structure " << structure << " n " << n << " exact " << exact << " S " << subsets
                << " arrangement " << arrangement;
            for (int i = 0; i < n; ++i) ASSERT_EQ(elements[i].start_position, i);
          }
        }
      }
    }
  }
}

TEST_F(Structures, ExactShapesOnSmallSets) {
  controls.CheckBox27 = true;
  EXPECT_EQ(build(20, 5), (std::vector<int32_t>{2, 1, 4, 3, 5}));  // odd n: the last stays
  EXPECT_EQ(build(12, 7), (std::vector<int32_t>{1, 3, 5, 7, 6, 4, 2}));
  EXPECT_EQ(build(13, 6), (std::vector<int32_t>{4, 2, 1, 3, 5, 6}));  // the maximum stays last
  EXPECT_EQ(build(15, 6), (std::vector<int32_t>{6, 1, 4, 3, 2, 5}));
  EXPECT_EQ(build(16, 5), (std::vector<int32_t>{5, 1, 4, 2, 3}));
  EXPECT_EQ(build(17, 8), (std::vector<int32_t>{5, 1, 6, 2, 8, 3, 7, 4}));
  EXPECT_EQ(build(18, 8), (std::vector<int32_t>{4, 8, 3, 7, 1, 6, 2, 5}));
  controls.SpinEdit5 = 3;
  EXPECT_EQ(build(5, 9), (std::vector<int32_t>{3, 6, 9, 2, 5, 8, 1, 4, 7}));
  EXPECT_EQ(build(5, 7), (std::vector<int32_t>{2, 4, 6, 1, 3, 5, 7}));  // at most 7 div 3 subsets
  EXPECT_EQ(build(6, 9), (std::vector<int32_t>{3, 2, 1, 6, 5, 4, 9, 8, 7}));
  EXPECT_EQ(build(7, 9), (std::vector<int32_t>{1, 4, 7, 2, 5, 8, 3, 6, 9}));
  EXPECT_EQ(build(7, 10), (std::vector<int32_t>{1, 5, 8, 2, 6, 9, 3, 7, 10, 4}));  // sizes 4, 3, 3
  EXPECT_EQ(build(14, 8), (std::vector<int32_t>{7, 4, 3, 8, 2, 5, 6, 1}));
  EXPECT_EQ(build(8, 6), (std::vector<int32_t>{1, 4, 2, 3, 5, 6}));
  EXPECT_EQ(build(10, 8), (std::vector<int32_t>{1, 3, 5, 7, 2, 6, 4, 8}));
}

TEST_F(Structures, FractalDepthZeroAndSubsetBoundaries) {
  controls.SpinEdit9 = 0;
  for (int structure = 21; structure <= 27; ++structure) {
    const auto keys = build(structure, 20);
    EXPECT_TRUE(std::is_sorted(keys.begin(), keys.end())) << structure;
  }
  controls.SpinEdit9 = 1;
  EXPECT_EQ(build(21, 6), (std::vector<int32_t>{6, 5, 4, 3, 2, 1}));

  // Descending subsets: a new subset starts where the keys rise; no two such boundaries are
  // adjacent, and their number is the number of subsets.
  for (uint32_t seed = 1; seed < 40; ++seed) {
    random_seed = seed;
    controls.SpinEdit5 = 10;
    const auto keys = build(3, 30);
    int runs = 1;
    bool previous_boundary = false;
    for (int i = 1; i < 30; ++i) {
      const bool boundary = keys[i] > keys[i - 1];
      ASSERT_FALSE(boundary && previous_boundary) << "seed " << seed << " at " << i;
      runs += boundary;
      previous_boundary = boundary;
    }
    EXPECT_EQ(runs, 10) << "seed " << seed;
  }
}

}  // namespace
}  // namespace mv::structures_test
