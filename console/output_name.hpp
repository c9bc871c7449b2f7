// The database path that goes with a story path when only the story is given.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace console {

// Cuts the path at its last period, wherever it stands (a period in a folder
// name counts too), and appends ".pdb"; a path without a period keeps all of
// it. "stories/night.z5" gives "stories/night.pdb", "night" gives "night.pdb".
[[nodiscard]] std::string derive_output_name(std::string_view story_path);

// The same rule applied to the path in the system's own characters, so that a
// path that the narrow bytes cannot spell (on Windows) still derives exactly.
[[nodiscard]] std::filesystem::path derive_output_path(const std::filesystem::path& story_path);

} // namespace console
