#include "console/output_name.hpp"

namespace console {
namespace {

template <class Char> std::basic_string<Char> derive(std::basic_string_view<Char> story_path) {
  const auto period = story_path.rfind(static_cast<Char>('.'));
  std::basic_string<Char> output(story_path.substr(0, period));
  for (const char c : std::string_view(".pdb")) {
    output.push_back(static_cast<Char>(c));
  }
  return output;
}

} // namespace

std::string derive_output_name(std::string_view story_path) {
  return derive(story_path);
}

std::filesystem::path derive_output_path(const std::filesystem::path& story_path) {
  using view = std::basic_string_view<std::filesystem::path::value_type>;
  return derive(view(story_path.native()));
}

} // namespace console
