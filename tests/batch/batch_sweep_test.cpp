// The batch tool's size sweeps, entry choice and progress line, run as a separate process.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <map>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

namespace batch_sweep_test {
namespace {

struct Output {
  int status = -1;
  std::string out;  // standard output
  std::string err;  // standard error (a pty when asked for)
};

std::string read_all(int fd) {
  std::string s;
  std::array<char, 4096> buf{};
  while (true) {
    const ssize_t n = read(fd, buf.data(), buf.size());
    if (n <= 0) break;  // EOF, or EIO once the pty's other end has closed
    s.append(buf.data(), static_cast<size_t>(n));
  }
  return s;
}

// Runs the tool with standard output on a pipe and standard error on a pipe or a pseudo
// terminal.
Output run_tool(const std::vector<std::string>& args, bool stderr_on_pty) {
  Output r;
  int out_pipe[2];
  if (pipe(out_pipe) != 0) return r;
  int err_read = -1, err_write = -1;
  if (stderr_on_pty) {
    winsize ws{};
    ws.ws_col = 100;
    ws.ws_row = 24;
    if (openpty(&err_read, &err_write, nullptr, nullptr, &ws) != 0) return r;
  } else {
    int p[2];
    if (pipe(p) != 0) return r;
    err_read = p[0];
    err_write = p[1];
  }
  const pid_t pid = fork();
  if (pid == 0) {
    dup2(out_pipe[1], 1);
    dup2(err_write, 2);
    close(out_pipe[0]);
    close(out_pipe[1]);
    close(err_read);
    close(err_write);
    std::vector<char*> argv{const_cast<char*>(MIVROLA_BATCH)};
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(MIVROLA_BATCH, argv.data());
    _exit(127);
  }
  close(out_pipe[1]);
  close(err_write);
  // The outputs are small: standard error first would block only beyond a pipe's buffer.
  r.out = read_all(out_pipe[0]);
  r.err = read_all(err_read);
  close(out_pipe[0]);
  close(err_read);
  int raw = 0;
  waitpid(pid, &raw, 0);
  r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  return r;
}

std::vector<std::string> csv_fields(const std::string& row) {
  std::vector<std::string> fields;
  std::string f;
  bool quoted = false;
  for (char c : row) {
    if (c == '"') {
      quoted = !quoted;
    } else if (c == ',' && !quoted) {
      fields.push_back(f);
      f.clear();
    } else {
      f += c;
    }
  }
  fields.push_back(f);
  return fields;
}

std::vector<std::vector<std::string>> csv_rows(const std::string& out) {
  std::vector<std::vector<std::string>> rows;
  std::istringstream in(out);
  std::string line;
  std::getline(in, line);  // header
  while (std::getline(in, line)) rows.push_back(csv_fields(line));
  return rows;
}

// Fields of the csv row: 0 index, 2 columns, 6 comparisons, 7 movings, 8 swappings,
// 13 broken_off, 14 size, 15 seed.
TEST(BatchSweep, SweepGivesTheCountsOfSingleRuns) {
  const Output sweep =
      run_tool({"--algorithm", "268,103,88", "--sizes", "16,33,100,256", "--repeat", "2", "--seed",
                "41", "--set", "ComboBox3.ItemIndex=3", "--format", "csv"},
               false);
  ASSERT_EQ(sweep.status, 0) << sweep.err;
  EXPECT_EQ(sweep.out.substr(0, sweep.out.find('\n')),
            "index,caption,columns,rows,duration_ms,main_loop_runnings,comparisons,movings,"
            "swappings,threads,stability_inversions,sorted,permutation_intact,broken_off,size,"
            "seed");
  const auto rows = csv_rows(sweep.out);
  ASSERT_EQ(rows.size(), 3u * 4u * 2u);
  // Entry by entry, size by size, seed by seed.
  EXPECT_EQ(rows[0][0], "268");
  EXPECT_EQ(rows[1][15], "42");
  EXPECT_EQ(rows[2][14], "33");
  EXPECT_EQ(rows[8][0], "103");
  for (const auto& row : rows) {
    ASSERT_EQ(row.size(), 16u);
    const Output single =
        run_tool({"--algorithm", row[0], "--set", "SpinEdit2.Value=" + row[14], "--seed", row[15],
                  "--set", "ComboBox3.ItemIndex=3", "--format", "csv"},
                 false);
    ASSERT_EQ(single.status, 0);
    const auto one = csv_rows(single.out);
    ASSERT_EQ(one.size(), 1u);
    ASSERT_EQ(one[0].size(), 14u) << "no size column without --sizes";
    for (int f : {2, 6, 7, 8, 11, 12, 13}) {
      EXPECT_EQ(row[f], one[0][f]) << "entry " << row[0] << " size " << row[14] << " field " << f;
    }
  }
}

TEST(BatchSweep, SizesAndChoicesRejectGarbage) {
  for (const char* sizes : {"", "abc", "16,,64", "1", "70000", "16..8x2", "16..64", "16..64x1",
                            "16..64x-2", "10..100xz", "16,64,"}) {
    const Output r = run_tool({"--all", "--sizes", sizes}, false);
    EXPECT_EQ(r.status, 2) << sizes;
    EXPECT_EQ(r.out, "") << sizes;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << sizes << ": " << r.err;
  }
  for (auto args : std::vector<std::vector<std::string>>{{"--algorithm", "268,"},
                                                         {"--algorithm", "268,421"},
                                                         {"--family", "merge"},
                                                         {"--family", "nonsense"},
                                                         {"--all", "--repeat", "0"}}) {
    const Output r = run_tool(args, false);
    EXPECT_EQ(r.status, 2) << args[1];
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << args[1] << ": " << r.err;
  }
}

TEST(BatchSweep, FamiliesRangesAndGeometricSizes) {
  const Output r = run_tool({"--family", "network", "--range", "0-1", "--algorithm", "0", "--sizes",
                             "10..100x3", "--format", "csv", "--break-after-ops", "2000"},
                            false);
  ASSERT_EQ(r.status, 0) << r.err;
  const auto rows = csv_rows(r.out);
  // 24 networks and entries 0 and 1, each once, at 10, 30, 90.
  ASSERT_EQ(rows.size(), 26u * 3u);
  std::map<std::string, int> per_entry;
  for (const auto& row : rows) ++per_entry[row[0]];
  EXPECT_EQ(per_entry.size(), 26u);
  EXPECT_EQ(rows[rows.size() - 3][14], "10");
  EXPECT_EQ(rows[rows.size() - 1][14], "90");
  // Runs over the operation limit say so.
  bool broken = false;
  for (const auto& row : rows) broken |= row.size() > 13 && row[13] == "true";
  EXPECT_TRUE(broken);
}

TEST(BatchSweep, ProgressLineGoesToTheTerminalOnly) {
  const std::vector<std::string> args = {"--family",   "quick",    "--sizes",
                                         "64,128,256", "--format", "csv"};
  const Output plain = run_tool(args, false);
  const Output terminal = run_tool(args, true);
  auto quiet_args = args;
  quiet_args.push_back("--quiet");
  const Output quiet = run_tool(quiet_args, true);
  ASSERT_EQ(plain.status, 0);
  ASSERT_EQ(terminal.status, 0);
  // Standard output is the same with or without the terminal (durations aside).
  auto without_durations = [](const std::string& out) {
    std::string s;
    for (auto row : csv_rows(out)) {
      row[4] = "";
      for (const auto& f : row) s += f + ",";
      s += "\n";
    }
    return s;
  };
  EXPECT_EQ(without_durations(plain.out), without_durations(terminal.out));
  EXPECT_EQ(terminal.out.find('\r'), std::string::npos);
  EXPECT_EQ(plain.err, "");
  EXPECT_NE(terminal.err.find("/90 "), std::string::npos) << terminal.err;
  EXPECT_NE(terminal.err.find(" left"), std::string::npos);
  EXPECT_EQ(terminal.err.find('\n'), std::string::npos) << "one line, redrawn in place";
  EXPECT_EQ(quiet.err, "");
  // One run: no progress line.
  const Output one = run_tool({"--algorithm", "268", "--format", "csv"}, true);
  EXPECT_EQ(one.err, "");
}

}  // namespace
}  // namespace batch_sweep_test
