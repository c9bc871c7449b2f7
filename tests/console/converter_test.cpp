#include "console/converter.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace {

namespace fs = std::filesystem;

// The console texts, spelled out here rather than taken from the program, so
// that a changed byte in any of them fails.
const std::string banner = "tarnwick - Convert a Z-code story file into a Varlowe Palm database.\n";
const std::string usage = "\nUsage: tarnwick filename.z filename.pdb \"Story Name\"\n"
                          "Windows users can drag a Z-code file on top of this executable.\n";
const std::string question = "\nPlease name this story (max 31 chars): ";
const std::string pause = "\nPress ENTER: ";
const std::string open_input_failed = "\nError opening input file.\n";
const std::string open_output_failed = "\nError opening output file.\n";
const std::string read_input_failed = "\nError reading input file.\n";
const std::string too_large = "\nError: input file is larger than 268431360 bytes.\n";
const std::string output_is_input = "\nError: output file is the input file.\n";
const std::string no_name = "\nError: input ended before a story name was given.\n";
const std::string write_failed = "\nError writing output file.\n";

std::string wrote(long bytes) {
  return "\nWrote " + std::to_string(bytes) + " bytes to output file.\n";
}

std::string read_file(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

void write_file(const fs::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

std::string story_bytes(std::size_t size) {
  std::string s(size, '\0');
  for (std::size_t i = 0; i < size; ++i) {
    s[i] = static_cast<char>(i * 7 % 256);
  }
  return s;
}

class RunConverter : public ::testing::Test {
protected:
  void SetUp() override {
    std::random_device random;
    dir_ = fs::temp_directory_path() /
           ("tarnwick-test-" + std::to_string(random()) + "-" + std::to_string(random()));
    fs::create_directory(dir_);
    story_ = dir_ / "night.z5";
    write_file(story_, story_bytes(5000));
  }
  void TearDown() override {
    std::error_code ec;
    fs::remove_all(dir_, ec);
  }

  fs::path path(const std::string& name) const {
    return dir_ / name;
  }

  struct outcome {
    int status;
    std::string output;
    std::string unread;
  };

  static outcome run(const std::vector<std::string>& args, const std::string& input) {
    std::vector<console::argument> arguments;
    for (const auto& a : args) {
      arguments.push_back(console::narrow_argument(a));
    }
    std::istringstream in(input);
    std::ostringstream out;
    const int status = console::run_converter(arguments, in, out);
    in.clear();
    return {status, out.str(), std::string(std::istreambuf_iterator<char>(in), {})};
  }

  // The database expected for the 5,000-byte story under the given name.
  std::string expected_database(const std::string& name) const {
    std::string db = name.substr(0, 31);
    db.resize(32, '\0');
    db += std::string("\0\0\0\1\x34\xAC\x82\x9F\x34\xAC\x82\x9F", 12) + std::string(16, '\0') +
          "ZCODVrlw" + std::string(8, '\0') + std::string("\0\2", 2);
    db += std::string("\0\0\0\x5E\x60\0\0\0", 8) + std::string("\0\0\x10\x5E\x60\0\0\0", 8);
    return db + read_file(story_);
  }

  fs::path dir_;
  fs::path story_;
};

TEST_F(RunConverter, NoArgumentsShowsUsageAndPauses) {
  const auto r = run({}, "\nleft\n");
  EXPECT_EQ(r.output, banner + usage + pause);
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.unread, "left\n");
}

TEST_F(RunConverter, OneArgumentDerivesTheDatabaseAsksAndPauses) {
  const auto r = run({story_.string()}, "  Night Garden \n\nleft\n");
  EXPECT_EQ(r.output, banner + "\nOutput file: " + path("night.pdb").string() + "\n" + question +
                          wrote(5094) + pause);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.unread, "left\n");
  EXPECT_EQ(read_file(path("night.pdb")), expected_database("Night Garden"));
}

TEST_F(RunConverter, TwoArgumentsAskWithoutPause) {
  const auto r = run({story_.string(), path("out.pdb").string()}, "\n  \nNight\nleft\n");
  EXPECT_EQ(r.output, banner + question + question + question + wrote(5094));
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.unread, "left\n");
  EXPECT_EQ(read_file(path("out.pdb")), expected_database("Night"));
}

TEST_F(RunConverter, ThreeOrMoreArgumentsNeitherAskNorPause) {
  for (const auto& extra : std::vector<std::vector<std::string>>{{}, {"four", "five"}}) {
    std::vector<std::string> args{story_.string(), path("out.pdb").string(), "  Spaced Name "};
    args.insert(args.end(), extra.begin(), extra.end());
    const auto r = run(args, "left\n");
    EXPECT_EQ(r.output, banner + wrote(5094));
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.unread, "left\n");
    EXPECT_EQ(read_file(path("out.pdb")), expected_database("  Spaced Name "));
  }
}

TEST_F(RunConverter, LongThirdArgumentKeepsIts31FirstBytes) {
  const std::string name = "A Very Long Story Name That Goes On And On";
  const auto r = run({story_.string(), path("out.pdb").string(), name}, "");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(read_file(path("out.pdb")), expected_database(name));
}

TEST_F(RunConverter, ReplacesAnExistingDatabase) {
  write_file(path("out.pdb"), std::string(20000, 'o'));
  const auto r = run({story_.string(), path("out.pdb").string(), "Night"}, "");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(read_file(path("out.pdb")), expected_database("Night"));
}

// Every refusal: its exact dialogue, status 1, no pause, no database left,
// and the story untouched.
TEST_F(RunConverter, RefusesWithAMessageAndLeavesNoDatabase) {
  fs::create_directory(path("folder"));
  write_file(path("story.pdb"), "a story that happens to end in .pdb");
  write_file(path("huge.z5"), "");
  fs::resize_file(path("huge.z5"), 268431361); // sparse: takes no room
  struct refusal {
    std::string label;
    std::vector<std::string> args;
    std::string input;
    std::string output;
    fs::path must_not_exist;
  };
  const std::string out_pdb = path("out.pdb").string();
  const std::vector<refusal> refusals{
      {"missing story, one argument",
       {path("none.z5").string()},
       "Name\n",
       banner + open_input_failed,
       path("none.pdb")},
      {"missing story, three arguments",
       {path("none.z5").string(), out_pdb, "N"},
       "",
       banner + open_input_failed,
       out_pdb},
      {"story is a folder",
       {path("folder").string(), out_pdb, "N"},
       "",
       banner + open_input_failed,
       out_pdb},
      {"story too large",
       {path("huge.z5").string(), out_pdb},
       "Name\n",
       banner + too_large,
       out_pdb},
      {"database in a missing folder",
       {story_.string(), path("no/such/out.pdb").string()},
       "Name\n",
       banner + question + open_output_failed,
       path("no")},
      {"database is a folder",
       {story_.string(), path("folder").string(), "N"},
       "",
       banner + open_output_failed,
       path("folder/N")},
      {"input ends before a name",
       {story_.string(), out_pdb},
       " \n",
       banner + question + question + no_name,
       out_pdb},
      {"input ends before a name, one argument",
       {story_.string()},
       "",
       banner + "\nOutput file: " + path("night.pdb").string() + "\n" + question + no_name,
       path("night.pdb")},
  };
  for (const refusal& r : refusals) {
    SCOPED_TRACE(r.label);
    const auto result = run(r.args, r.input);
    EXPECT_EQ(result.output, r.output);
    EXPECT_EQ(result.status, 1);
    EXPECT_FALSE(fs::exists(r.must_not_exist));
    EXPECT_EQ(read_file(story_), story_bytes(5000));
  }
}

TEST_F(RunConverter, RefusesADatabasePathThatIsTheStoryItself) {
  fs::create_hard_link(story_, path("hard-link.pdb"));
  write_file(path("story.pdb"), "a story that happens to end in .pdb");
  fs::create_directory(path("sub"));
  struct same {
    std::string label;
    std::vector<std::string> args;
    std::string output;
  };
  const std::vector<same> cases{
      {"one argument already ending in .pdb",
       {path("story.pdb").string()},
       banner + "\nOutput file: " + path("story.pdb").string() + "\n" + output_is_input},
      {"the same path", {story_.string(), story_.string(), "N"}, banner + output_is_input},
      {"another spelling",
       {story_.string(), (dir_ / "." / "night.z5").string(), "N"},
       banner + output_is_input},
      {"a spelling through another folder",
       {story_.string(), (dir_ / "sub" / ".." / "night.z5").string(), "N"},
       banner + output_is_input},
      {"a hard link", {story_.string(), path("hard-link.pdb").string()}, banner + output_is_input},
  };
  for (const same& c : cases) {
    SCOPED_TRACE(c.label);
    const auto result = run(c.args, "Name\n");
    EXPECT_EQ(result.output, c.output);
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.unread, "Name\n");
  }
  EXPECT_EQ(read_file(story_), story_bytes(5000));
  EXPECT_EQ(read_file(path("story.pdb")), "a story that happens to end in .pdb");
}

#ifdef __linux__
TEST_F(RunConverter, ReportsAFailedWriteOnAFullDevice) {
  const auto r = run({story_.string(), "/dev/full", "Night"}, "");
  EXPECT_EQ(r.output, banner + write_failed);
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(fs::exists("/dev/full"));
}

TEST_F(RunConverter, RefusesAPipeWithoutWaitingForAWriter) {
  ASSERT_EQ(mkfifo(path("pipe.z5").c_str(), 0600), 0);
  const auto r = run({path("pipe.z5").string(), path("out.pdb").string(), "N"}, "");
  EXPECT_EQ(r.output, banner + read_input_failed);
  EXPECT_EQ(r.status, 1);
  EXPECT_FALSE(fs::exists(path("out.pdb")));
}
#endif

} // namespace
