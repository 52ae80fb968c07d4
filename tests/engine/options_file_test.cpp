#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "engine/controls.h"
#include "engine/options_file.h"
#include "engine/options_keys.h"
#include "engine/parameters.h"
#include "engine/settings.h"

namespace mv::options_file_test {
namespace {

namespace fs = std::filesystem;

class OptionsFile : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = fs::temp_directory_path() / ("mivrola_options_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    set_first_start_defaults(1920, 1080, 100, 100);
  }
  void TearDown() override {
    fs::remove_all(dir);
    set_first_start_defaults(65535, 65535, 100, 100);
  }
  void write(const std::string& name, const std::string& text) {
    std::ofstream(dir / name, std::ios::binary) << text;
  }
  fs::path dir;
};

TEST_F(OptionsFile, WrittenFileReadsBackWithEverySelection) {
  controls.ComboBox3 = 7;
  controls.ComboBox2 = 12;
  settings.line_set = LineSet::colour_circle;
  settings.background = Background::black;
  settings.columns = 640;
  settings.stable_comparings_checked = false;
  parameters.Param_pe_sort = 3.25;
  parameters.Basis = 16;
  controls.showagain_zweierpotenz = false;
  const std::string path = (dir / "mivrola.ini").string();
  ASSERT_TRUE(save_options_file(path));
  std::ifstream in(path);
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(text.rfind("[options]\n", 0), 0u);
  EXPECT_NE(text.find("ComboBox3.Itemindex=7\n"), std::string::npos);  // written with a small i
  EXPECT_FALSE(fs::exists(path + ".tmp"));

  set_first_start_defaults(1920, 1080, 100, 100);
  ASSERT_TRUE(load_options_file(path));
  EXPECT_EQ(controls.ComboBox3, 7);
  EXPECT_EQ(controls.ComboBox2, 12);
  EXPECT_EQ(settings.line_set.load(), LineSet::colour_circle);
  EXPECT_EQ(settings.background.load(), Background::black);
  EXPECT_EQ(settings.columns, 640);
  EXPECT_FALSE(settings.stable_comparings_checked);
  EXPECT_EQ(parameters.Param_pe_sort, 3.25);
  EXPECT_EQ(parameters.Basis, 16);
  EXPECT_FALSE(controls.showagain_zweierpotenz);
}

TEST_F(OptionsFile, GarbageNeverStopsTheStart) {
  write("garbage.ini",
        std::string("\x00\xff\x13[options\n==\n=5\nComboBox3.ItemIndex\n", 38) +
            "[OPTIONS]\nspinedit2.value = 300 \nComboBox3.ItemIndex=banana\n"
            "ComboBox2.ItemIndex=99\nSpinEdit1.Value=-7\nexponent=1e999\n"
            "RadioGroup4.ItemIndex=123456789012345\n[other]\nComboBox4.ItemIndex=3\n");
  EXPECT_TRUE(load_options_file((dir / "garbage.ini").string()));
  EXPECT_EQ(settings.columns, 300);   // keys match without regard to case, blanks trimmed
  EXPECT_EQ(controls.ComboBox3, 0);   // unreadable: default
  EXPECT_EQ(controls.ComboBox2, 27);  // out of range: into range
  EXPECT_EQ(settings.brake_factor, 0);
  EXPECT_EQ(parameters.exponent, 0.5);
  EXPECT_EQ(settings.line_set.load(), LineSet::colour_circle);
  EXPECT_EQ(controls.ComboBox4, 0);  // outside section "options"

  const OptionsFileRead missing = load_options_file((dir / "missing.ini").string());
  EXPECT_FALSE(missing);
  EXPECT_FALSE(missing.exists);
  EXPECT_TRUE(missing.refusal.empty());
}

// Something at the path that is not a readable options file of sensible size is refused whole,
// with a one-line reason, and without waiting: nothing of it is read, and saving or deleting at
// the end leaves it as it is.
TEST_F(OptionsFile, FoldersPipesDevicesAndOversizedFilesAreRefused) {
  const fs::path pipe = dir / "pipe.ini";
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  fs::create_directories(dir / "folder.ini");
  write("huge.ini", "[options]\nComboBox3.ItemIndex=5\n" + std::string(6 << 20, 'x') + "\n");
  struct Case {
    std::string path;
    const char* says;
  } cases[] = {{pipe.string(), "is a named pipe, not a file"},
               {(dir / "folder.ini").string(), "is a folder, not a file"},
               {"/dev/null", "is a device, not a file"},
               {(dir / "huge.ini").string(), "is larger than 4 MiB"}};
  for (const Case& c : cases) {
    const OptionsFileRead read = load_options_file(c.path);
    EXPECT_FALSE(read) << c.path;
    EXPECT_TRUE(read.exists) << c.path;
    EXPECT_NE(read.refusal.find(c.path), std::string::npos) << read.refusal;
    EXPECT_NE(read.refusal.find(c.says), std::string::npos) << read.refusal;
    EXPECT_EQ(read.refusal.find('\n'), std::string::npos) << read.refusal;
  }
  EXPECT_EQ(controls.ComboBox3, 0);  // the oversized file's first lines were not taken either

  EXPECT_FALSE(save_options_file(pipe.string()));
  delete_options_file(pipe.string());
  delete_options_file((dir / "folder.ini").string());
  EXPECT_TRUE(fs::is_fifo(pipe));
  EXPECT_TRUE(fs::is_directory(dir / "folder.ini"));
}

TEST_F(OptionsFile, ByteOrderMarkIsSkippedAndParametersComeIntoTheirBounds) {
  write("bom.ini",
        "\xEF\xBB\xBF[options]\r\nComboBox3.ItemIndex=5\r\nSpinEdit2.Value=300\r\n"
        "BlockSize=2147483647\r\nsmallsegmentsizecb=-8\r\nBasis=1\r\nexponent=7\r\n"
        "Param_shearsort=7\r\nsmallsegmentsizetb=2147483647\r\n");
  ASSERT_TRUE(load_options_file((dir / "bom.ini").string()));
  EXPECT_EQ(controls.ComboBox3, 5);
  EXPECT_EQ(settings.columns, 300);
  // The bounds the prompts check, for the columns read, without a word.
  EXPECT_EQ(parameters.BlockSize, 150);
  EXPECT_EQ(parameters.smallsegmentsizecb, 0);
  EXPECT_EQ(parameters.smallsegmentsizetb, 2147483647);  // no upper bound: kept
  EXPECT_EQ(parameters.Basis, 2);
  EXPECT_EQ(parameters.exponent, 0.5);
  EXPECT_EQ(parameters.Param_shearsort, 6);  // the largest divisor of 300 not above 7
}

TEST_F(OptionsFile, KeysAreReadInTableOrderAndWrittenOnlyKeysAreSkipped) {
  // Columns recompute "NUMBER"; the stored value must still win although the file lists it
  // first. The first occurrence of a key counts; the display's position is not read back.
  write("order.ini",
        "[options]\nNUMBER=7\nSpinEdit2.Value=300\nBasis=5\nbasis=9\nForm2.left=123\n");
  std::vector<std::string> seen;
  ASSERT_TRUE(load_options_file((dir / "order.ini").string(),
                                [&](const OptionKey& k) { seen.push_back(k.name); }));
  EXPECT_EQ(settings.columns, 300);
  EXPECT_EQ(parameters.NUMBER, 7);
  EXPECT_EQ(parameters.Basis, 5);
  EXPECT_EQ(controls.Form2_left, 0);
  EXPECT_EQ(seen, (std::vector<std::string>{"SpinEdit2.Value", "NUMBER", "Basis"}));

  controls.Form2_left = 77;
  const std::string path = (dir / "written.ini").string();
  ASSERT_TRUE(save_options_file(path));
  std::ifstream in(path);
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_NE(text.find("\nForm2.left=77\n"), std::string::npos);
}

TEST_F(OptionsFile, FailedSaveKeepsTheOldFile) {
  // The target is a folder: the rename fails and nothing is lost or left behind.
  fs::create_directories(dir / "taken.ini");
  EXPECT_FALSE(save_options_file((dir / "taken.ini").string()));
  EXPECT_TRUE(fs::is_directory(dir / "taken.ini"));
  EXPECT_FALSE(fs::exists(dir / "taken.ini.tmp"));
  EXPECT_FALSE(save_options_file((dir / "no" / "such" / "folder.ini").string()));

  const std::string path = (dir / "kept.ini").string();
  ASSERT_TRUE(save_options_file(path));
  delete_options_file(path);
  EXPECT_FALSE(fs::exists(path));
  delete_options_file(path);  // deleting twice is harmless
}

TEST_F(OptionsFile, LocationBesideTheProgramOrInTheUserFolder) {
  EXPECT_EQ(options_file_location((dir / "mivrola").string()), (dir / "mivrola.ini").string());
  const fs::path config = dir / "config";
  ::setenv("XDG_CONFIG_HOME", config.c_str(), 1);
  EXPECT_EQ(options_file_location((dir / "read-only" / "mivrola").string()),
            (config / "mivrola.ini").string());
  EXPECT_TRUE(fs::is_directory(config));
  ::unsetenv("XDG_CONFIG_HOME");
  EXPECT_EQ(fs::directory_iterator(dir)->path().filename(), "config");  // no test file left
}

}  // namespace
}  // namespace mv::options_file_test
