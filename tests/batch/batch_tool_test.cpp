// The batch tool's command-line contract, run as a separate process.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace batch_tool_test {
namespace {

struct Result {
  int status = -1;
  std::string out;
};

Result run(const std::string& args) {
  const std::string command = std::string(MIVROLA_BATCH) + " " + args + " 2>&1";
  Result r;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return r;
  std::array<char, 4096> buf{};
  size_t got = 0;
  while ((got = fread(buf.data(), 1, buf.size(), pipe)) > 0) r.out.append(buf.data(), got);
  const int raw = pclose(pipe);
  r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  return r;
}

size_t lines(const std::string& s) {
  size_t k = 0;
  for (char c : s) k += c == '\n';
  return k;
}

TEST(BatchTool, ListsTheWholeCatalogue) {
  const Result r = run("--list");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(lines(r.out), 421u);
  EXPECT_NE(r.out.find("268\t"), std::string::npos);
}

TEST(BatchTool, BadArgumentsExitWithTwoAndNameTheFault) {
  struct Case {
    const char* args;
    const char* says;
  } cases[] = {
      {"--set NoSuchKey=1 --algorithm 268", "NoSuchKey"},
      {"--set SpinEdit2.Value=many --algorithm 268", "many"},
      {"--algorithm 500", "500"},
      {"--algorithm 268 --format xml", "xml"},
      {"--range 9-3", "9-3"},
      {"--frobnicate", "--frobnicate"},
      {"--seed -4 --all", "-4"},
      {"--options /nonexistent/file.ini --all", "/nonexistent/file.ini"},
      {"", "no arguments"},
  };
  for (const Case& c : cases) {
    const Result r = run(c.args);
    EXPECT_EQ(r.status, 2) << c.args;
    EXPECT_EQ(lines(r.out), 1u) << c.args << ": " << r.out;
    EXPECT_NE(r.out.find(c.says), std::string::npos) << c.args << ": " << r.out;
  }
}

TEST(BatchTool, QuickSortRunsAreRepeatable) {
  const std::string args = "--algorithm 268 --set SpinEdit2.Value=1000 --seed 7 --format csv";
  const Result a = run(args);
  const Result b = run(args);
  ASSERT_EQ(a.status, 0) << a.out;
  ASSERT_EQ(lines(a.out), 2u) << a.out;
  const std::string row = a.out.substr(a.out.find('\n') + 1);
  EXPECT_NE(row.find(",1000,"), std::string::npos) << row;
  EXPECT_NE(row.find(",true,true,false"), std::string::npos) << row;
  // Identical counts (everything but the duration).
  // The row without its duration (the tenth field from the end; the caption holds commas).
  auto without_duration = [](const std::string& out) {
    const std::string row = out.substr(out.find('\n') + 1);
    std::vector<std::string> fields;
    size_t start = 0;
    for (size_t k = 0; k <= row.size(); ++k) {
      if (k == row.size() || row[k] == ',') {
        fields.push_back(row.substr(start, k - start));
        start = k + 1;
      }
    }
    fields.erase(fields.end() - 10);
    std::string joined;
    for (const auto& f : fields) joined += f + ",";
    return joined;
  };
  EXPECT_EQ(without_duration(a.out), without_duration(b.out));

  const Result j = run("--algorithm 268 --set SpinEdit2.Value=20 --seed 7 --format jsonl");
  EXPECT_EQ(j.status, 0);
  EXPECT_NE(j.out.find("\"start_keys\":["), std::string::npos);
  EXPECT_NE(j.out.find("\"final_keys\":["), std::string::npos);
  EXPECT_NE(j.out.find("\"final_start_positions\":["), std::string::npos);
}

TEST(BatchTool, BreakAfterOpsAndNotImplementedEntries) {
  const Result r = run("--algorithm 268 --break-after-ops 50 --format csv");
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.out.find(",true,true"), std::string::npos) << r.out;  // permutation intact, broken
  const Result t = run("--algorithm 268 --break-after-ops 50");
  EXPECT_NE(t.out.find("sorting breaked off"), std::string::npos) << t.out;
  const Result s = run("--algorithm 398 --format csv");
  EXPECT_EQ(s.status, 0);
  EXPECT_NE(s.out.find("separator line"), std::string::npos);
}

TEST(BatchTool, HugeSegmentSizesSortAndParametersAreCorrectedSilently) {
  for (const char* args : {"--algorithm 275 --set smallsegmentsizecb=2147483647",
                           "--algorithm 276 --set smallsegmentsizetb=2147483647",
                           "--algorithm 35 --set BlockSize=2147483647",
                           "--algorithm 289 --set MoM_Parameter=2147483647"}) {
    const Result r = run(std::string(args) + " --format csv");
    EXPECT_EQ(r.status, 0) << args;
    EXPECT_EQ(lines(r.out), 2u) << args << ": " << r.out;  // no correction message either
    EXPECT_NE(r.out.find(",true,true,false"), std::string::npos) << args << ": " << r.out;
  }
}

// Runs that never start: the simplified plasel sort on equal keys (the program's start button is
// disabled) and the n heap sort refusing its arity. In every format they say so, with the reason,
// and never look like a finished run.
TEST(BatchTool, RunsThatNeverStartAreReportedAsNotStarted) {
  const std::string equal_keys = "--algorithm 258 --set SpinEdit7.Value=3 ";
  const std::string too_large =
      "--algorithm 96 --set SpinEdit2.Value=61 "
      "--set Param_heapnsort=2147483647 ";
  for (const std::string& args : {equal_keys, too_large}) {
    const std::string reason = args == equal_keys ? "equal keys" : "Der Parameter ist zu gro";
    const Result text = run(args);
    EXPECT_EQ(text.status, 0) << text.out;
    EXPECT_NE(text.out.find("not started: "), std::string::npos) << text.out;
    EXPECT_NE(text.out.find(reason), std::string::npos) << text.out;
    EXPECT_EQ(text.out.find("sorting ended"), std::string::npos) << text.out;
    const Result csv = run(args + "--format csv");
    EXPECT_NE(csv.out.find(",\"not started: "), std::string::npos) << csv.out;
    EXPECT_EQ(csv.out.find(",false,"), std::string::npos) << csv.out;
    const Result json = run(args + "--format jsonl");
    EXPECT_NE(json.out.find("\"status\":\"not started\",\"reason\":\""), std::string::npos)
        << json.out;
    EXPECT_EQ(json.out.find("\"sorted\""), std::string::npos) << json.out;
  }
  // Distinct keys: the simplified plasel sort runs.
  const Result distinct = run("--algorithm 258 --set ComboBox3.ItemIndex=20 --format csv");
  EXPECT_NE(distinct.out.find(",true,true,false"), std::string::npos) << distinct.out;
}

TEST(BatchTool, OptionsThatAreNoFileAreRefusedAtOnce) {
  const std::string dir = ::testing::TempDir() + "mivrola_batch_" + std::to_string(::getpid());
  const std::string fifo = dir + "/pipe.ini";
  ASSERT_EQ(std::system(("mkdir -p " + dir + " && rm -f " + fifo + " && mkfifo " + fifo).c_str()),
            0);
  // A pipe nobody writes to would block a plain open for ever.
  for (const std::string& path : {fifo, dir, std::string("/dev/null")}) {
    const Result r = run("--options " + path + " --algorithm 268");
    EXPECT_EQ(r.status, 2) << path << ": " << r.out;
    EXPECT_EQ(lines(r.out), 1u) << path << ": " << r.out;
    EXPECT_NE(r.out.find(path), std::string::npos) << r.out;
    EXPECT_NE(r.out.find(", not a file"), std::string::npos) << r.out;
  }
  std::system(("rm -rf " + dir).c_str());
}

}  // namespace
}  // namespace batch_tool_test
