#include <gtest/gtest.h>

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "engine/host.h"
#include "engine/parameter_prompts.h"
#include "engine/parameters.h"

namespace mv::parameter_prompts_test {
namespace {

// Answers prompts from a script (nullopt = the user cancels) and records what it was shown.
struct ScriptedHost : Host {
  std::deque<std::optional<std::string>> answers;
  std::vector<std::string> questions, prefilled, messages;
  std::optional<std::string> prompt(const std::string& title, const std::string& text,
                                    const std::string& value) override {
    questions.push_back(title + " | " + text);
    prefilled.push_back(value);
    auto a = answers.empty() ? std::optional<std::string>(value) : answers.front();
    if (!answers.empty()) answers.pop_front();
    return a;
  }
  void show_message(const std::string& text) override { messages.push_back(text); }
};

class ParameterPrompts : public ::testing::Test {
 protected:
  void SetUp() override {
    parameters = Parameters{};
    set_host(&h);
  }
  void TearDown() override {
    set_host(nullptr);
    parameters = Parameters{};
  }
  void ask(int index, int n, std::initializer_list<std::optional<std::string>> answers) {
    h = ScriptedHost{};
    h.answers.assign(answers.begin(), answers.end());
    ask_parameters(index, n);
  }
  ScriptedHost h;
};

TEST_F(ParameterPrompts, CorrectionsAndTheirMessages) {
  ask(35, 100, {"0"});
  EXPECT_EQ(parameters.BlockSize, 1);
  EXPECT_EQ(h.questions, (std::vector<std::string>{"block size (integer) | P1 (>0, <=50)?"}));
  EXPECT_EQ(h.messages, (std::vector<std::string>{"Increased to 1 by the program."}));

  ask(35, 100, {"77"});
  EXPECT_EQ(parameters.BlockSize, 50);
  EXPECT_EQ(h.messages, (std::vector<std::string>{"Decreased to 50 by the program."}));

  ask(34, 100, {"1,5"});
  EXPECT_EQ(parameters.exponent, 0.5);
  EXPECT_EQ(h.messages, (std::vector<std::string>{"Decreased to 0.5 by the program."}));
  ask(34, 100, {"0,25"});
  EXPECT_EQ(parameters.exponent, 0.25);
  EXPECT_TRUE(h.messages.empty());

  ask(294, 10, {"5"});
  EXPECT_EQ(parameters.Param_n_quick, 3);
  EXPECT_NE(h.questions[0].find("(<3?"), std::string::npos);
}

TEST_F(ParameterPrompts, ShearSortTakesTheLargestDivisor) {
  ask(327, 24, {"7"});
  EXPECT_EQ(parameters.Param_shearsort, 6);
  EXPECT_EQ(h.messages, (std::vector<std::string>{"Decreased to 6 by the program."}));
  ask(327, 24, {"8"});
  EXPECT_EQ(parameters.Param_shearsort, 8);
  EXPECT_TRUE(h.messages.empty());
  parameters.Param_shearsort = 7;  // lowered to a divisor before asking
  ask(330, 24, {std::nullopt});
  EXPECT_EQ(h.prefilled[0], "6");
  EXPECT_EQ(parameters.Param_shearsort, 6);
  ask(330, 24, {"999"});  // above n counts as n
  EXPECT_EQ(parameters.Param_shearsort, 24);
}

TEST_F(ParameterPrompts, NonsenseAnswersAndCancelling) {
  ask(296, 100, {"ten"});
  EXPECT_EQ(parameters.Basis, 2);
  EXPECT_EQ(h.messages, (std::vector<std::string>{"2 choosen by the program."}));
  // Numbers too large for the field are above the bound, not nonsense.
  ask(55, 100, {"99999999999999999999"});
  EXPECT_EQ(parameters.maximale_Tauschdistanz, 99);
  EXPECT_EQ(h.messages, (std::vector<std::string>{"Decreased to 99 by the program."}));
  ask(35, 400, {"99999999999"});
  EXPECT_EQ(parameters.BlockSize, 200);
  EXPECT_EQ(h.messages, (std::vector<std::string>{"Decreased to 200 by the program."}));
  ask(126, 100, {"-99999999999999999999"});
  EXPECT_EQ(parameters.NUMBER, 0);
  EXPECT_EQ(h.messages, (std::vector<std::string>{"Increased to 0 by the program."}));
  ask(34, 100, {"1e999"});
  EXPECT_EQ(parameters.exponent, 0.5);
  EXPECT_EQ(h.messages, (std::vector<std::string>{"Decreased to 0.5 by the program."}));
  ask(35, 400, {"12345678901234567890x"});
  EXPECT_EQ(h.messages, (std::vector<std::string>{"1 choosen by the program."}));
  ask(87, 100, {"-1", "x", std::nullopt, "0"});
  EXPECT_EQ(parameters.param1_healy, 1);
  EXPECT_EQ(parameters.param2_healy, 60);
  EXPECT_EQ(parameters.param3_healy, 18);
  EXPECT_EQ(parameters.param4_healy, 1);
  EXPECT_EQ(h.messages, (std::vector<std::string>{"Increased to 1 by the program.",
                                                  "60 choosen by the program.",
                                                  "Increased to 1 by the program."}));
  // A cancelled prompt returns the pre-filled value, which passes the same checks.
  parameters.ratio = 1;
  ask(165, 100, {std::nullopt});
  EXPECT_EQ(parameters.ratio, 2);
  ask(260, 100, {"nan"});
  EXPECT_EQ(parameters.Param_pe_sort, 2.0);
  ask(100, 100, {});
  EXPECT_TRUE(h.questions.empty());
}

}  // namespace
}  // namespace mv::parameter_prompts_test
