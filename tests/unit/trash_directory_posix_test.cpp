// Which trash a mount's top directory gives, and when it gives none.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <functional>
#include <string>

#include "platform/files/held_descriptor_posix.h"
#include "platform/files/trash_directory_posix.h"
#include "test_support.h"

namespace {
using namespace test_support;

TEST(trash_directory, a_mount_trash_is_used_only_when_it_is_the_users_own_and_no_one_elses_to_write) {
  const uid_t me = geteuid();
  const uid_t other = 65534;
  const std::string mine = ".Trash-" + std::to_string(me);
  const std::string shared_mine = ".Trash/" + std::to_string(me);
  struct row {
    const char* what;
    bool needs_another_owner;
    std::function<void(const fs::path& top)> set_up;
    std::string used;  // relative to the top; empty: refused
    int error;
  };
  const auto folder = [](const fs::path& path, mode_t mode) {
    fs::create_directories(path);
    ASSERT_EQ(chmod(path.c_str(), mode), 0);
  };
  const auto owned_by = [&](const fs::path& path) { ASSERT_EQ(lchown(path.c_str(), other, other), 0); };
  const auto link_to = [](const fs::path& path, const fs::path& target) {
    fs::create_directories(target);
    ASSERT_EQ(symlink(target.c_str(), path.c_str()), 0);
  };
  const row rows[] = {
      {"nothing there", false, [](const fs::path&) {}, mine, 0},
      {"a sticky .Trash", false, [&](const fs::path& top) { folder(top / ".Trash", 01777); }, shared_mine, 0},
      {"a .Trash not sticky", false, [&](const fs::path& top) { folder(top / ".Trash", 0777); }, mine, 0},
      {"a .Trash that is a link", false,
       [&](const fs::path& top) {
         link_to(top / ".Trash", top / "sticky");
         folder(top / "sticky", 01777);
       },
       mine, 0},
      {"the user's folder in .Trash another's", true,
       [&](const fs::path& top) {
         folder(top / ".Trash", 01777);
         folder(top / shared_mine, 0700);
         owned_by(top / shared_mine);
       },
       mine, 0},
      {"the user's folder in .Trash open to the group", false,
       [&](const fs::path& top) {
         folder(top / ".Trash", 01777);
         folder(top / shared_mine, 0770);
       },
       mine, 0},
      {"the user's folder in .Trash a link", false,
       [&](const fs::path& top) {
         folder(top / ".Trash", 01777);
         link_to(top / shared_mine, top / "own");
       },
       mine, 0},
      {".Trash-$uid a link", false, [&](const fs::path& top) { link_to(top / mine, top / "own"); }, "", ELOOP},
      {".Trash-$uid another's", true,
       [&](const fs::path& top) {
         folder(top / mine, 0700);
         owned_by(top / mine);
       },
       "", EACCES},
      {".Trash-$uid open to all", false, [&](const fs::path& top) { folder(top / mine, 0777); }, "", EACCES},
      {".Trash-$uid a plain file", false,
       [&](const fs::path& top) { write_file(top / mine, "not a folder"); }, "", ENOTDIR},
      {"files a link", false,
       [&](const fs::path& top) {
         folder(top / mine, 0700);
         link_to(top / mine / "files", top / "own");
       },
       "", ELOOP},
      {"info another's", true,
       [&](const fs::path& top) {
         folder(top / mine / "info", 0700);
         owned_by(top / mine / "info");
       },
       "", EACCES},
      {"files open to the group", false, [&](const fs::path& top) { folder(top / mine / "files", 0770); }, "",
       EACCES},
  };
  std::size_t left_out = 0;
  for (const row& r : rows) {
    SCOPED_TRACE(r.what);
    if (r.needs_another_owner && me != 0) {
      ++left_out;
      continue;
    }
    temp_dir dir;
    const fs::path top = dir.path();
    r.set_up(top);
    fs::create_directories(top / "src");
    write_file(top / "src" / "a.o", "object");
    platform::held_descriptor top_folder(open(top.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    platform::held_descriptor source(open((top / "src").c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    struct stat status {};
    ASSERT_EQ(fstat(top_folder.get(), &status), 0);
    platform::trash_directory trash;
    const int error = trash.open_at_top(top_folder.get(), me, status.st_dev);
    EXPECT_EQ(error, r.error) << strerror(error);
    if (r.used.empty() || error != 0) continue;
    ASSERT_EQ(trash.take(source.get(), "a.o", (top / "src" / "a.o").string()), 0);
    EXPECT_FALSE(fs::exists(top / "src" / "a.o"));
    EXPECT_EQ(read_file(top / r.used / "files" / "a.o"), "object");
    const std::string info = read_file(top / r.used / "info" / "a.o.trashinfo");
    EXPECT_EQ(info.rfind("[Trash Info]\nPath=src/a.o\nDeletionDate=", 0), 0u) << info;
    EXPECT_EQ(fs::status(top / r.used).permissions(), fs::perms::owner_all);
  }
  if (left_out > 0) GTEST_SKIP() << left_out << " rows need a folder of another user's: run as root";
}
}  // namespace
