// The options file: one section "options" of key=value lines, read once at start and written
// once at exit, beside the program when its folder can be written, else in the user's
// configuration folder.
#pragma once

#include <functional>
#include <string>

#include "engine/options_keys.h"

namespace mv {

// Where the options file lives for the program at `program_path`: the program's path with
// ".ini" when its folder can be written (tested by creating and deleting a randomly named file),
// else the user's configuration folder ($XDG_CONFIG_HOME or ~/.config) with the program's name
// and ".ini".
std::string options_file_location(const std::string& program_path);

// What reading the options file came to.
struct OptionsFileRead {
  bool exists = false;  // something is at the path (false: the first-start case)
  bool loaded = false;  // its keys were read
  // Why something at the path was not read, in one line ("... is a folder, not a file"); empty
  // when it was read or nothing is there.
  std::string refusal;
  explicit operator bool() const { return loaded; }
};

// Largest options file that is read; a larger one is refused whole, never cut.
constexpr long long options_file_max_bytes = 4 << 20;

// Reads the file into the controls, settings and parameters, key by key in the order of
// option_keys() whatever the order in the file (the first occurrence of a key counts), then
// brings the parameters into their bounds for the columns read, silently. Unknown keys, keys
// that are only written, lines that are not key=value, values that cannot be read and everything
// outside section "options" are skipped (the value keeps its default); a UTF-8 byte-order mark
// at the start is skipped. A folder, pipe, device or socket, a file larger than
// options_file_max_bytes or one that cannot be opened is refused without reading anything (a
// pipe is opened without waiting for a writer). `after_key`, when given, runs after each key
// that was set, so a window can show the value at once.
OptionsFileRead load_options_file(const std::string& path,
                                  const std::function<void(const OptionKey&)>& after_key = {});

// Writes every key to a temporary file beside `path` and renames it over the old file, so an
// interrupted save never leaves a truncated options file. Returns false on any failure (the old
// file then stays as it was) and when something other than a file (a folder, pipe or device)
// is at `path`, which stays as it is.
bool save_options_file(const std::string& path);

// Removes the options file (when "save and load options automatically" is off); a folder, pipe
// or device at `path` stays.
void delete_options_file(const std::string& path);

}  // namespace mv
