// The parameter questions asked before a run when "parameter input" is checked: one input
// prompt per parameter of the chosen entry, the answer checked and corrected, every correction
// told to the user.
#pragma once

#include <string>

namespace mv {

// Asks the parameters of catalogue entry `index` for n columns through the host's prompts and
// messages. Entries without parameters ask nothing.
void ask_parameters(int index, int n);

// "Increased to 5 by the program." and its kin.
std::string increased_message(const std::string& value);
std::string decreased_message(const std::string& value);
std::string chosen_message(const std::string& value);
// Reals as the messages write them: 0.5, 2.
std::string real_text(double v);

}  // namespace mv
