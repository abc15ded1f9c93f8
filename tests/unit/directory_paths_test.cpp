#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/walk/directory_paths.h"
#include "platform/files/path_syntax.h"

namespace {
struct place {
  std::uint32_t parent, depth;
  std::string name;
};

// Steps in any order give each directory's own path, whatever was asked before.
TEST(directory_paths, each_path_is_its_own_however_the_way_down_was_left) {
  const std::vector<place> tree = {{0, 0, ""}, {0, 1, "a"}, {1, 2, "b"}, {2, 3, "c"}, {0, 1, "d"}, {4, 2, "e"}};
  directory_paths paths("root");
  const std::string root = platform::preferred_form("root");
  const auto joined = [&](std::vector<std::string> names) {
    std::string path = root;
    for (const std::string& name : names) platform::append_name(path, name);
    return path;
  };
  EXPECT_EQ(paths.path(3, tree), joined({"a", "b", "c"}));
  EXPECT_EQ(paths.path(5, tree), joined({"d", "e"}));
  EXPECT_EQ(paths.path(2, tree), joined({"a", "b"}));
  EXPECT_EQ(paths.path(3, tree), joined({"a", "b", "c"}));
  EXPECT_EQ(paths.path(1, tree), joined({"a"}));
  EXPECT_EQ(paths.path(0, tree), "root");
}
}  // namespace
