#include <sys/resource.h>

#include <gtest/gtest.h>

#include "engine/removal/clean_pass.h"
#include "engine/walk/walked_tree.h"
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

TEST(descriptor_limit_posix, a_comb_walked_with_few_descriptors_opens_each_folder_a_few_times_not_once_per_tooth) {
  temp_dir dir;
  // A chain with a side folder at every level, the chain listed first: each
  // side folder waits while the chain below it is walked.
  fs::create_directories(dir / "probe" / "a");
  fs::create_directories(dir / "probe" / "b");
  // Whichever name the file system lists first is the chain.
  const std::string chain = fs::directory_iterator(dir / "probe")->path().filename().string();
  fs::remove_all(dir / "probe");
  constexpr int depth = 300;
  fs::path level = dir.path();
  for (int k = 0; k < depth; ++k) {
    fs::create_directory(level / "a");
    fs::create_directory(level / "b");
    level /= chain;
  }
  counted_tree counted(dir.str(), 16);
  walked_tree& tree = counted.tree();
  const std::size_t& opens = counted.opens;
  tree.walk();
  ASSERT_EQ(tree.directories().size(), 2u * depth + 1);
  // Opening the way down again for every waiting side folder would take some 40,000.
  EXPECT_LT(opens, 4u * tree.directories().size());
}
}  // namespace
