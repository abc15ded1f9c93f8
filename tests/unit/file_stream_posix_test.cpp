#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "engine/recognition/build_output_recognition.h"
#include "platform/files/file_removal.h"
#include "platform/files/file_stream.h"
#include "platform/text/last_error.h"
#include "platform/files/read_only_file.h"
#include "test_support.h"

namespace {
using namespace test_support;

// None of these may wait for a writer or reader that never comes.
TEST(file_stream_posix, a_fifo_or_device_is_no_build_output_and_never_blocks) {
  temp_dir dir;
  settings_reset reset;
  reset.settings().delete_zero_size = true;
  const std::string fifo = (dir / "x.obj").string();
  ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
  EXPECT_EQ(judge_build_output(fifo.c_str(), "*.obj"), recognition_verdict::kept);
  EXPECT_EQ(judge_build_output(fifo.c_str(), "*.sbr"), recognition_verdict::kept);  // not an empty file
  EXPECT_EQ(judge_build_output("/dev/zero", "*.res"), recognition_verdict::kept);
  platform::read_only_file file;
  EXPECT_FALSE(file.open(platform::tree_entry{nullptr, fifo.c_str(), fifo.c_str()}));
  EXPECT_EQ(platform::get_last_error(), 222u);
  // Appending to a FIFO nobody reads fails at once.
  EXPECT_EQ(platform::open_log_for_append(fifo.c_str()), nullptr);
}

TEST(file_stream_posix, a_log_is_never_opened_through_a_link_nor_as_a_fifo_with_a_reader) {
  temp_dir dir;
  write_file(dir / "other.txt", "kept");
  fs::create_symlink(dir / "other.txt", dir / "linked.log");
  fs::create_symlink(dir / "created.txt", dir / "dangling.log");
  const std::string fifo = (dir / "fifo.log").string();
  ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
  const int reader = open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
  ASSERT_GE(reader, 0);
  for (const char* name : {"linked.log", "dangling.log", "fifo.log"})
    EXPECT_EQ(platform::open_log_for_append((dir / name).string().c_str()), nullptr) << name;
  close(reader);
  EXPECT_EQ(read_file(dir / "other.txt"), "kept");
  EXPECT_FALSE(fs::exists(dir / "created.txt"));
}

TEST(file_stream_posix, a_link_to_a_regular_file_is_read_through) {
  temp_dir dir;
  write_file(dir / "real.bin", std::string("\x4C\x01", 2));
  fs::create_symlink(dir / "real.bin", dir / "link.obj");
  EXPECT_EQ(judge_build_output((dir / "link.obj").string().c_str(), "*.obj"), recognition_verdict::build_output);
}
}  // namespace

namespace {
using namespace test_support;

// A file judged through its directory, then swapped before the removal: the
// file in its place stays, and so does anything a swapped directory leads to.
TEST(file_removal_posix, a_file_swapped_since_it_was_judged_is_left_as_gone) {
  temp_dir dir;
  settings_reset reset;
  fs::create_directories(dir / "tree" / "sub");
  fs::create_directories(dir / "elsewhere");
  const std::string object("\x4C\x01 object", 9);
  const std::string path = (dir / "tree" / "sub" / "a.obj").string();
  const std::string block = path + std::string(2, '\0');
  platform::tree_directory sub;
  const platform::tree_entry entry{&sub, "a.obj", path.c_str()};
  // The verdict on a.obj, read through its directory opened now.
  const auto judged_now = [&] {
    EXPECT_TRUE(sub.open_root((dir / "tree" / "sub").string()));
    const recognition_result judged = judge_build_output(entry, "*.obj");
    EXPECT_EQ(judged.verdict, recognition_verdict::build_output);
    return judged.status.identity;
  };
  for (const bool to_trash : {false, true}) {
    SCOPED_TRACE(to_trash ? "trash" : "delete");
    write_file(dir / "tree" / "sub" / "a.obj", object);
    const platform::file_identity judged = judged_now();
    // Another file under the same name.
    write_file(dir / "tree" / "sub" / "b.obj", object);
    fs::rename(dir / "tree" / "sub" / "b.obj", dir / "tree" / "sub" / "a.obj");
    const platform::removal_result removal =
        to_trash ? platform::move_to_recycle_bin(entry, block.c_str(), judged)
                 : platform::removal_result{platform::delete_file(entry, judged) ? platform::removal_outcome::removed
                                                                                 : platform::removal_outcome::gone,
                                            platform::get_last_error()};
    EXPECT_EQ(removal.outcome, platform::removal_outcome::gone);
    EXPECT_EQ(removal.code, 2u);
    EXPECT_EQ(read_file(dir / "tree" / "sub" / "a.obj"), object);
  }
  // The judged file is still there, but the path now runs through a link to
  // another folder holding a file of that name: the trash must not take it.
  const platform::file_identity judged = judged_now();
  fs::rename(dir / "tree" / "sub", dir / "tree" / "moved");
  write_file(dir / "elsewhere" / "a.obj", object);
  fs::create_directory_symlink(dir / "elsewhere", dir / "tree" / "sub");
  EXPECT_EQ(platform::move_to_recycle_bin(entry, block.c_str(), judged).outcome, platform::removal_outcome::gone);
  EXPECT_TRUE(fs::exists(dir / "elsewhere" / "a.obj"));
  EXPECT_TRUE(fs::exists(dir / "tree" / "moved" / "a.obj"));
}
}  // namespace
