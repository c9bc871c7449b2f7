#include "console/output_name.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct name_case {
  std::string story;
  std::string database;
};

const std::vector<name_case> cases{
    {"stories/night.z5", "stories/night.pdb"},
    {"night.dat", "night.pdb"},
    {"a.b.c", "a.b.pdb"},
    {"night", "night.pdb"},
    {".z5", ".pdb"},
    {"archive.old/night", "archive.pdb"}, // the last period counts, even in a folder name
    {"night.pdb", "night.pdb"},
    {"night.", "night.pdb"},
    {"", ".pdb"},
    {"C:\\Users\\Ann\\Stories\\night.z5", "C:\\Users\\Ann\\Stories\\night.pdb"},
    {"caf\xC3\xA9.z8", "caf\xC3\xA9.pdb"},
};

TEST(DeriveOutputName, CutsAtTheLastPeriodAndAppendsPdb) {
  for (const auto& [story, database] : cases) {
    EXPECT_EQ(console::derive_output_name(story), database) << story;
  }
}

TEST(DeriveOutputPath, FollowsTheSameRuleOnSystemPaths) {
  for (const auto& [story, database] : cases) {
    EXPECT_EQ(console::derive_output_path(std::filesystem::path(story)),
              std::filesystem::path(database))
        << story;
  }
}

} // namespace
