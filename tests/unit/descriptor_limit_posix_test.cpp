#include <sys/resource.h>

#include <gtest/gtest.h>

#include "engine/removal/clean_pass.h"
#include "platform/process/descriptor_limit.h"
#include "test_support.h"

namespace {
using namespace test_support;

// Lowers the soft descriptor limit, for the test's length, to leave `spare` free.
class descriptor_limit {
 public:
  explicit descriptor_limit(std::size_t spare) {
    getrlimit(RLIMIT_NOFILE, &saved_);
    rlimit lowered = saved_;
    lowered.rlim_cur = saved_.rlim_cur - platform::spare_descriptors() + spare;
    setrlimit(RLIMIT_NOFILE, &lowered);
  }
  ~descriptor_limit() { setrlimit(RLIMIT_NOFILE, &saved_); }

 private:
  rlimit saved_{};
};

// A tree far deeper and wider than the descriptors allow: the walk and the
// removals close what they can open again, and clean every level.
TEST(descriptor_limit_posix, a_tree_deeper_than_the_descriptors_allow_is_cleaned_whole) {
  temp_dir dir;
  working_directory cwd{dir.path()};
  settings_reset reset;
  const std::string object("\x4C\x01 object", 9);
  fs::path level = dir / "tree";
  std::vector<fs::path> objects;
  for (int depth = 0; depth < 300; ++depth) {
    level /= "d";
    fs::create_directories(level);
    // Beside the chain, folders each holding an output, listed while the chain is open.
    if (depth % 10 == 0)
      for (int side = 0; side < 5; ++side) {
        fs::create_directory(level / ("s" + std::to_string(side)));
        objects.push_back(level / ("s" + std::to_string(side)) / "side.obj");
      }
    if (depth % 7 == 0) objects.push_back(level / "a.obj");
  }
  for (const fs::path& path : objects) write_file(path, object);
  write_file(level / "notes.obj", "text");

  {
    descriptor_limit limit(40);
    EXPECT_EQ(platform::spare_descriptors(), 40u);
    EXPECT_TRUE(clean_tree((dir / "tree").string().c_str()));
  }
  for (const fs::path& path : objects) EXPECT_FALSE(fs::exists(path)) << path;
  EXPECT_EQ(read_file(level / "notes.obj"), "text");
}
}  // namespace
