#include "engine/options_file.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <system_error>
#include <vector>

#include "engine/options_keys.h"
#include "engine/random.h"

namespace mv {

namespace fs = std::filesystem;

namespace {

constexpr std::streamsize max_file_bytes = 4 << 20;

bool folder_writable(const fs::path& folder) {
  const std::string name =
      std::to_string(Random(2147483647)) + "." + std::to_string(Random(2147483647));
  const fs::path test = folder / name;
  {
    std::ofstream out(test);
    if (!out) return false;
    out << "[Test]\nTest=0\n";
    out.flush();
    if (!out) {
      std::error_code ec;
      fs::remove(test, ec);
      return false;
    }
  }
  std::error_code ec;
  return fs::remove(test, ec) && !ec;
}

fs::path user_config_folder() {
  if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg) return fs::path(xdg);
  if (const char* home = std::getenv("HOME"); home && *home) return fs::path(home) / ".config";
  return fs::temp_directory_path();
}

// The writer spells the item-index keys of combo boxes and radio groups with a small i.
std::string written_key(const std::string& key) {
  const std::string item = ".ItemIndex";
  if (key.size() > item.size() && key.compare(key.size() - item.size(), item.size(), item) == 0) {
    return key.substr(0, key.size() - item.size()) + ".Itemindex";
  }
  return key;
}

}  // namespace

std::string options_file_location(const std::string& program_path) {
  fs::path program(program_path);
  fs::path ini = program;
  ini.replace_extension(".ini");
  std::error_code ec;
  fs::path folder = program.has_parent_path() ? program.parent_path() : fs::current_path(ec);
  if (folder_writable(folder)) return ini.string();
  const fs::path config = user_config_folder();
  fs::create_directories(config, ec);
  return (config / ini.filename()).string();
}

bool load_options_file(const std::string& path,
                       const std::function<void(const OptionKey&)>& after_key) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::string content(static_cast<size_t>(max_file_bytes), '\0');
  in.read(content.data(), max_file_bytes);
  content.resize(static_cast<size_t>(in.gcount()));
  std::istringstream lines(content);
  std::string line;
  bool in_options = false;
  // Values by key in the table's order; keys outside the table are never stored.
  const std::vector<OptionKey>& keys = option_keys();
  std::vector<std::optional<std::string>> values(keys.size());
  while (std::getline(lines, line)) {
    const std::string t = trim_blanks(line);
    if (t.empty() || t[0] == ';' || t[0] == '#') continue;
    if (t.front() == '[') {
      in_options =
          t.back() == ']' && equal_ignoring_case(trim_blanks(t.substr(1, t.size() - 2)), "options");
      continue;
    }
    const auto eq = t.find('=');
    if (!in_options || eq == std::string::npos) continue;
    const std::string name = trim_blanks(t.substr(0, eq));
    const auto key = std::find_if(keys.begin(), keys.end(), [&](const OptionKey& k) {
      return equal_ignoring_case(name, k.name);
    });
    if (key == keys.end() || !key->read) continue;
    auto& slot = values[static_cast<size_t>(key - keys.begin())];
    if (!slot) slot = trim_blanks(t.substr(eq + 1));
  }
  for (size_t k = 0; k < keys.size(); ++k) {
    // A value that cannot be read keeps the current one (the default).
    if (values[k] && set_option(keys[k].name, *values[k]) && after_key) after_key(keys[k]);
  }
  return true;
}

bool save_options_file(const std::string& path) {
  std::ostringstream text;
  text << "[options]\n";
  for (const OptionKey& key : option_keys()) {
    const auto value = get_option(key.name);
    if (value) text << written_key(key.name) << '=' << *value << '\n';
  }
  const fs::path target(path);
  fs::path temporary = target;
  temporary += ".tmp";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out << text.str();
    out.flush();
    if (!out) {
      std::error_code ec;
      fs::remove(temporary, ec);
      return false;
    }
  }
  std::error_code ec;
  fs::rename(temporary, target, ec);
  if (ec) {
    fs::remove(temporary, ec);
    return false;
  }
  return true;
}

void delete_options_file(const std::string& path) {
  std::error_code ec;
  fs::remove(path, ec);
}

}  // namespace mv
