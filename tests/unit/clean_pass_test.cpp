#include <gtest/gtest.h>

#include <stdexcept>
#include <tuple>

#include "diag/texts.h"
#include "engine/removal/clean_pass.h"
#include "engine/removal/failure_classes.h"
#include "platform/files/path_syntax.h"
#include "platform/text/system_message.h"
#include "test_support.h"

namespace {
using namespace test_support;

const std::string coff("\x4C\x01 object", 9);
const std::string mingw("\x4C\x01\x1C\x00\x00\x00\x00 object", 14);
const std::string pdb = "Microsoft C/C++ program database 2.00";
const std::string sbr("\x00\x02\x00\x07\x00", 5);

class clean_pass_test : public ::testing::Test {
 protected:
  void put(const std::string& relative, const std::string& bytes) {
    const fs::path path = tree() / fs::path(relative);
    fs::create_directories(path.parent_path());
    write_file(path, bytes);
  }
  virtual fs::path tree() const { return dir.path(); }
  std::string at(const std::string& relative) const { return (tree() / fs::path(relative)).make_preferred().string(); }
  std::string file_in(const std::string& folder, const std::string& name) const {
    return join(folder.empty() ? tree().string() : at(folder), name);
  }

  temp_dir dir;
  working_directory cwd{dir.path()};
  settings_reset reset;
};

TEST(target_patterns, are_the_ten_patterns_in_order) {
  const std::list<std::string> expected{"*.sbr", "*.obj", "*.pch", "*.ilk", "*.bsc",
                                        "*.pdb", "*.idb", "*.res", "*.opp", "*.o"};
  EXPECT_EQ(target_patterns(), expected);
}

// How each code a failed deletion leaves is taken: a file gone is passed
// over, and whatever else keeps one file is a refusal, never the run's end.
TEST(failure_classes, no_code_of_one_file_ends_the_run) {
  using o = platform::removal_outcome;
  const std::pair<std::uint32_t, o> rows[] = {
      {2, o::gone},       {3, o::gone},       {5, o::refused},   {32, o::refused},  {4, o::refused},
      {19, o::refused},   {65, o::refused},   {225, o::refused}, {226, o::refused}, {1920, o::refused},
      {8, o::refused},    {112, o::refused},  {170, o::refused}, {1117, o::refused}, {1921, o::refused}};
  for (const auto& [code, deleted] : rows) EXPECT_EQ(deletion_outcome(code), deleted) << code;
}

TEST_F(clean_pass_test, removes_recognised_outputs_pattern_by_pattern_and_reports_each) {
  reset.settings().output_log = true;
  put("z.o", mingw);
  put("sub/a.pdb", pdb);
  put("sub/b.obj", coff);
  put("c.obj", coff);
  put("d.sbr", sbr);
  put("deep/er/e.opp", mingw);
  put("decoy.obj", "plain text");
  put("notes.txt", "keep");

  stdout_capture capture;
  EXPECT_TRUE(clean_tree(tree().string().c_str()));

  // Pattern order first; within a pattern the root, then each subdirectory.
  const std::string expected = file_in("", "d.sbr") + "\n\n" + file_in("", "c.obj") + "\n\n" +
                               file_in("sub", "b.obj") + "\n\n" + file_in("sub", "a.pdb") + "\n\n" +
                               file_in("deep/er", "e.opp") + "\n\n" + file_in("", "z.o") + "\n\n";
  EXPECT_EQ(capture.text(), expected);
  EXPECT_EQ(read_file(dir / "brulo_log.log"),
            on_disk(file_in("", "d.sbr") + "\n" + file_in("", "c.obj") + "\n" + file_in("sub", "b.obj") + "\n" +
                    file_in("sub", "a.pdb") + "\n" + file_in("deep/er", "e.opp") + "\n" + file_in("", "z.o") + "\n"));
  for (const char* gone : {"z.o", "sub/a.pdb", "sub/b.obj", "c.obj", "d.sbr", "deep/er/e.opp"})
    EXPECT_FALSE(fs::exists(tree() / fs::path(gone))) << gone;
  EXPECT_EQ(read_file(tree() / "decoy.obj"), "plain text");
  EXPECT_EQ(read_file(tree() / "notes.txt"), "keep");
}

TEST_F(clean_pass_test, removals_are_silent_without_output_log) {
  put("c.obj", coff);
  stdout_capture capture;
  EXPECT_TRUE(clean_tree(tree().string().c_str()));
  EXPECT_EQ(capture.text(), "");
  EXPECT_FALSE(fs::exists(tree() / "c.obj"));
  EXPECT_FALSE(fs::exists(dir / "brulo_log.log"));
}

TEST_F(clean_pass_test, nothing_to_remove_gives_false_and_no_message) {
  put("decoy.obj", "text");
  put("empty.sbr", "");
  stdout_capture capture;
  EXPECT_FALSE(clean_tree(tree().string().c_str()));
  EXPECT_EQ(capture.text(), "");
  EXPECT_TRUE(fs::exists(tree() / "empty.sbr"));
}

TEST_F(clean_pass_test, read_only_file_is_reported_and_skipped_while_the_pass_goes_on) {
  put("a.obj", coff);
  put("b.obj", coff);
  put("later.pdb", pdb);
  put("last.o", mingw);
  for (const char* name : {"b.obj", "last.o"})
    fs::permissions(tree() / name, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
  stdout_capture capture;
  // The last thing the pass meets is a failure: the earlier removals still count.
  EXPECT_TRUE(clean_tree(tree().string().c_str()));
  std::string access_denied;
  ASSERT_TRUE(platform::system_message_text(5, access_denied));
  EXPECT_EQ(capture.text(), "ERROR Message:" + access_denied + "\n" + file_in("", "b.obj") + "\n\n" +
                                "ERROR Message:" + access_denied + "\n" + file_in("", "last.o") + "\n\n");
  EXPECT_TRUE(fs::exists(tree() / "b.obj"));
  EXPECT_TRUE(fs::exists(tree() / "last.o"));
  EXPECT_FALSE(fs::exists(tree() / "a.obj"));
  EXPECT_FALSE(fs::exists(tree() / "later.pdb"));
}

TEST_F(clean_pass_test, same_result_in_every_clean_mode) {
  for (int mode : {1, 2, -1}) {
    reset.settings().clean_mode = mode;
    put("x.obj", coff);
    put("x.o", mingw);
    EXPECT_TRUE(clean_tree(tree().string().c_str())) << mode;
    EXPECT_FALSE(fs::exists(tree() / "x.obj"));
    EXPECT_FALSE(fs::exists(tree() / "x.o"));
  }
}

TEST_F(clean_pass_test, empty_sbr_goes_with_delete_zero_size) {
  reset.settings().delete_zero_size = true;
  put("empty.sbr", "");
  put("empty.obj", "");
  EXPECT_TRUE(clean_tree(tree().string().c_str()));
  EXPECT_FALSE(fs::exists(tree() / "empty.sbr"));
  EXPECT_TRUE(fs::exists(tree() / "empty.obj"));
}

TEST_F(clean_pass_test, dry_run_reports_what_would_go_and_removes_nothing) {
  reset.settings().dry_run = true;
  put("c.obj", coff);
  put("sub/a.pdb", pdb);
  put("decoy.obj", "plain text");
  stdout_capture capture;
  EXPECT_FALSE(clean_tree(tree().string().c_str()));
  EXPECT_EQ(capture.text(), file_in("", "c.obj") + "\n\n" + file_in("sub", "a.pdb") + "\n\n" + "dry run: 2 files, " +
                                std::to_string(coff.size() + pdb.size()) + " bytes would be removed from " +
                                tree().string() + "\n\n");
  EXPECT_EQ(read_file(tree() / "c.obj"), coff);
  EXPECT_EQ(read_file(tree() / "sub/a.pdb"), pdb);
  EXPECT_FALSE(fs::exists(dir / "brulo_log.log"));
}

TEST_F(clean_pass_test, a_directory_named_like_an_output_ends_the_pass_after_earlier_removals) {
  put("a.sbr", sbr);
  put("old.obj/inner.txt", "x");
  put("z.pdb", pdb);
  try {
    clean_tree(tree().string().c_str());
    ADD_FAILURE() << "no exception";
  } catch (const std::runtime_error& error) {
    EXPECT_STREQ(error.what(), texts::file_operator_not_open);
  }
  EXPECT_FALSE(fs::exists(tree() / "a.sbr"));  // removed before stays removed
  EXPECT_TRUE(fs::exists(tree() / "z.pdb"));   // later patterns never ran
}

TEST_F(clean_pass_test, a_tree_that_cannot_be_walked_raises) {
  EXPECT_THROW(clean_tree((dir / "missing").string().c_str()), std::runtime_error);
  EXPECT_THROW(clean_tree(""), std::runtime_error);
}

// The recycle bin is the desktop's: XDG_DATA_HOME names where it lives (Wine's
// shell uses the same one), so the tree is made beside it on the same volume.
class recycle_test : public clean_pass_test {
 protected:
  void SetUp() override {
    data_home_ = scratch_data_home();
    ASSERT_FALSE(data_home_.empty()) << "XDG_DATA_HOME must name a scratch folder holding the file "
                                        "brulo-scratch-data (scripts/test makes one); the user's trash is never used";
    fs::create_directories(data_home_ / "Trash" / "files");
    fs::create_directories(data_home_ / "Trash" / "info");
    tree_ = data_home_ / ("tree_" + dir.path().filename().string());
    fs::create_directories(tree_);
    reset.settings().use_recycle_bin = true;
  }
  void TearDown() override {
    std::error_code ignored;
    if (!tree_.empty()) fs::remove_all(tree_, ignored);
  }
  fs::path tree() const override { return tree_; }

  fs::path data_home_;
  fs::path tree_;
};

TEST_F(recycle_test, moves_outputs_to_the_recycle_bin_from_where_they_can_be_restored) {
  reset.settings().output_log = true;
  const std::string name = "recycled_" + dir.path().filename().string() + ".obj";
  put(name, coff);
  put("decoy.obj", "text");
  stdout_capture capture;
  EXPECT_TRUE(clean_tree(tree().string().c_str()));
  EXPECT_EQ(capture.text(), file_in("", name) + "\n\n");
  EXPECT_FALSE(fs::exists(tree() / name));
  EXPECT_TRUE(fs::exists(tree() / "decoy.obj"));

  const fs::path kept = data_home_ / "Trash" / "files" / name;
  EXPECT_EQ(read_file(kept), coff);
  const std::string info = read_file(data_home_ / "Trash" / "info" / (name + ".trashinfo"));
  EXPECT_EQ(info.rfind("[Trash Info]", 0), 0u) << info;
  EXPECT_NE(info.find("DeletionDate="), std::string::npos) << info;
  EXPECT_NE(info.find(name), std::string::npos) << info;
  fs::remove(kept);
  fs::remove(data_home_ / "Trash" / "info" / (name + ".trashinfo"));
}
}  // namespace

namespace {
TEST_F(recycle_test, a_trash_that_cannot_be_used_keeps_the_file_reported_and_the_pass_goes_on) {
  const bool windows = platform::path_separator == '\\';
  put("a.obj", coff);
  // A recycle bin that cannot be written to: its folder is a plain file, until
  // the guard puts the folder back whatever the test does.
  const fs::path trash = data_home_ / "Trash";
  const fs::path saved = data_home_ / "Trash.saved";
  fs::rename(trash, saved);
  struct trash_restore {
    const fs::path &trash, &saved;
    ~trash_restore() {
      std::error_code ignored;
      fs::remove(trash, ignored);
      fs::rename(saved, trash, ignored);
    }
  } restore{trash, saved};
  write_file(trash, "not a folder");
  stdout_capture capture;
  // Wine's shell would delete the file for good: it is refused before. The
  // Linux trash refuses a trash folder that is no folder.
  EXPECT_FALSE(clean_tree(tree().string().c_str()));
  EXPECT_EQ(read_file(tree() / "a.obj"), coff);
  std::string refusal;
  ASSERT_TRUE(platform::system_message_text(windows ? 50 : 3, refusal));
  EXPECT_EQ(capture.text(), "ERROR Message:" + refusal + "\n" + file_in("", "a.obj") + "\n\n");
}
}  // namespace
