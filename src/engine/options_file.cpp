#include "engine/options_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <system_error>
#include <vector>

#include "engine/options_keys.h"
#include "engine/parameters.h"
#include "engine/random.h"
#include "engine/settings.h"

namespace mv {

namespace fs = std::filesystem;

namespace {

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

const std::string utf8_bom = "\xEF\xBB\xBF";

// What kind of thing other than a file stands at a path, for the messages.
const char* kind_of(mode_t mode) {
  if (S_ISDIR(mode)) return "a folder";
  if (S_ISFIFO(mode)) return "a named pipe";
  if (S_ISCHR(mode) || S_ISBLK(mode)) return "a device";
  if (S_ISSOCK(mode)) return "a socket";
  return "not a regular file";
}

std::string refusal(const std::string& path, const std::string& why) {
  return "options file '" + path + "' " + why;
}

// True when a regular file stands at the path (symbolic links followed), or nothing at all.
bool file_or_nothing_at(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return errno == ENOENT;
  return S_ISREG(st.st_mode);
}

// Reads the whole options file into content. The path is examined first and the file opened
// without blocking, so that a named pipe never waits for a writer; what is opened is examined
// again, in case the path changed between the two.
bool read_whole_file(const std::string& path, OptionsFileRead& result, std::string& content) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) {
    result.exists = errno != ENOENT;
    if (result.exists) {
      result.refusal = refusal(path, std::string("cannot be read: ") + std::strerror(errno));
    }
    return false;
  }
  result.exists = true;
  if (!S_ISREG(st.st_mode)) {
    result.refusal = refusal(path, std::string("is ") + kind_of(st.st_mode) + ", not a file");
    return false;
  }
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    result.refusal = refusal(path, std::string("cannot be read: ") + std::strerror(errno));
    return false;
  }
  const std::string too_large =
      "is larger than " + std::to_string(options_file_max_bytes >> 20) + " MiB and is not read";
  bool ok = ::fstat(fd, &st) == 0;
  if (ok && !S_ISREG(st.st_mode)) {
    result.refusal = refusal(path, std::string("is ") + kind_of(st.st_mode) + ", not a file");
    ok = false;
  } else if (ok && st.st_size > options_file_max_bytes) {
    result.refusal = refusal(path, too_large);
    ok = false;
  }
  // A file that grew beyond the limit since it was examined is refused as well.
  char block[65536];
  while (ok) {
    const ssize_t got = ::read(fd, block, sizeof block);
    if (got == 0) break;
    if (got < 0) {
      if (errno == EINTR) continue;
      result.refusal = refusal(path, std::string("cannot be read: ") + std::strerror(errno));
      ok = false;
    } else if (static_cast<long long>(content.size()) + got > options_file_max_bytes) {
      result.refusal = refusal(path, too_large);
      ok = false;
    } else {
      content.append(block, static_cast<size_t>(got));
    }
  }
  ::close(fd);
  if (!ok) content.clear();
  return ok;
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

OptionsFileRead load_options_file(const std::string& path,
                                  const std::function<void(const OptionKey&)>& after_key) {
  OptionsFileRead result;
  std::string content;
  if (!read_whole_file(path, result, content)) return result;
  result.loaded = true;
  // A byte-order mark written by some editors before the first line.
  if (content.rfind(utf8_bom, 0) == 0) content.erase(0, utf8_bom.size());
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
  correct_parameters_silently(settings.columns);
  return result;
}

bool save_options_file(const std::string& path) {
  if (!file_or_nothing_at(path)) return false;
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
  if (!file_or_nothing_at(path)) return;
  std::error_code ec;
  fs::remove(path, ec);
}

}  // namespace mv
