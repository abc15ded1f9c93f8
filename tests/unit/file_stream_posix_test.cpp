#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "engine/recognition/build_output_recognition.h"
#include "platform/files/file_removal.h"
#include "platform/files/file_stream.h"
#include "platform/text/last_error.h"
#include "platform/files/read_only_file.h"
#include "platform/files/trash_info_posix.h"
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
        to_trash ? platform::move_to_recycle_bin(entry, judged)
                 : platform::removal_result{platform::delete_file(entry, judged) ? platform::removal_outcome::removed
                                                                                 : platform::removal_outcome::gone,
                                            platform::get_last_error()};
    EXPECT_EQ(removal.outcome, platform::removal_outcome::gone);
    EXPECT_EQ(removal.code, 2u);
    EXPECT_EQ(read_file(dir / "tree" / "sub" / "a.obj"), object);
  }
  // The judged file is still there, but the path now runs through a link to
  // another folder holding a file of that name: the trash takes the judged
  // file from its directory, never the other.
  const platform::file_identity judged = judged_now();
  fs::rename(dir / "tree" / "sub", dir / "tree" / "moved");
  write_file(dir / "elsewhere" / "a.obj", "precious");
  fs::create_directory_symlink(dir / "elsewhere", dir / "tree" / "sub");
  EXPECT_EQ(platform::move_to_recycle_bin(entry, judged).outcome, platform::removal_outcome::removed);
  EXPECT_EQ(read_file(dir / "elsewhere" / "a.obj"), "precious");
  EXPECT_FALSE(fs::exists(dir / "tree" / "moved" / "a.obj"));
  // Recorded under the path it was judged by.
  const fs::path trash = scratch_data_home() / "Trash";
  EXPECT_EQ(read_file(trash / "files" / "a.obj"), object);
  EXPECT_NE(read_file(trash / "info" / "a.obj.trashinfo").find("\nPath=" + path + "\n"), std::string::npos);
}

TEST(trash_info, paths_are_made_absolute_and_percent_encoded_and_the_file_is_exact) {
  // A path, the working directory, and the path as stored.
  const char* const rows[][3] = {
      {"/t/a.obj", "", "/t/a.obj"},
      {"sub/./b c.obj", "/home/dev", "/home/dev/sub/b%20c.obj"},
      {"./x//y/../%z", "/", "/x/y/../%25z"},
      {"/t/\xc3\xa9+#?-_.!~*'().o", "/w", "/t/%C3%A9%2B%23%3F-_.!~*'().o"},
  };
  for (const auto& row : rows)
    EXPECT_EQ(platform::percent_encoded(platform::absolute_path(row[0], row[1])), row[2]) << row[0];
  std::tm deleted{};
  ASSERT_NE(strptime("2004-08-31 22:32:08", "%Y-%m-%d %H:%M:%S", &deleted), nullptr);
  EXPECT_EQ(platform::trash_info_text("foo/bar/meow.bow-wow", deleted),
            "[Trash Info]\nPath=foo/bar/meow.bow-wow\nDeletionDate=2004-08-31T22:32:08\n");
}

// A trash already holding the name, and a file under the next name with no
// info file: neither is replaced, and a name the trash cannot hold is refused.
TEST(file_removal_posix, the_trash_takes_a_free_name_and_refuses_what_it_cannot_hold) {
  ASSERT_FALSE(scratch_data_home().empty());
  const fs::path trash = scratch_data_home() / "Trash", tree = scratch_data_home() / "free_names";
  for (const fs::path& folder : {trash / "files", trash / "info", tree}) fs::create_directories(folder);
  write_file(trash / "info" / "taken.obj.trashinfo", "earlier");
  write_file(trash / "files" / "taken.obj.2", "orphan");
  const std::string long_name = std::string(250, 'n') + ".o";
  for (const std::string& file : {std::string("taken.obj"), long_name}) write_file(tree / file, "object " + file);
  platform::tree_directory folder;
  ASSERT_TRUE(folder.open_root(tree.string()));
  const auto trash_one = [&](const std::string& file) {
    const std::string path = (tree / file).string();
    return platform::move_to_recycle_bin(platform::tree_entry{&folder, file.c_str(), path.c_str()},
                                         platform::file_identity{});
  };
  EXPECT_EQ(trash_one("taken.obj").outcome, platform::removal_outcome::removed);
  EXPECT_EQ(read_file(trash / "info" / "taken.obj.trashinfo"), "earlier");
  EXPECT_EQ(read_file(trash / "files" / "taken.obj.2"), "orphan");
  EXPECT_FALSE(fs::exists(trash / "info" / "taken.obj.2.trashinfo"));
  EXPECT_EQ(read_file(trash / "files" / "taken.obj.3"), "object taken.obj");
  EXPECT_NE(read_file(trash / "info" / "taken.obj.3.trashinfo").find("\nPath=" + (tree / "taken.obj").string() + "\n"),
            std::string::npos);
  const platform::removal_result refused = trash_one(long_name);
  EXPECT_EQ(refused.outcome, platform::removal_outcome::refused);
  EXPECT_EQ(refused.code, 206u);
  EXPECT_EQ(read_file(tree / long_name), "object " + long_name);
}
}  // namespace
