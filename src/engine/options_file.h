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

// Reads the file into the controls, settings and parameters, key by key in the order of
// option_keys() whatever the order in the file (the first occurrence of a key counts). Unknown
// keys, keys that are only written, lines that are not key=value, values that cannot be read and
// everything outside section "options" are skipped (the value keeps its default); at most the
// first few megabytes are read. `after_key`, when given, runs after each key that was set, so a
// window can show the value at once. Returns false when the file does not exist or cannot be
// read.
bool load_options_file(const std::string& path,
                       const std::function<void(const OptionKey&)>& after_key = {});

// Writes every key to a temporary file beside `path` and renames it over the old file, so an
// interrupted save never leaves a truncated options file. Returns false on any failure (the old
// file then stays as it was).
bool save_options_file(const std::string& path);

// Removes the options file (when "save and load options automatically" is off).
void delete_options_file(const std::string& path);

}  // namespace mv
