// Which trash a mount's top directory gives, and when it gives none.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

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
  // Each entry made below the top: a folder of the mode given, a link to
  // such a folder elsewhere, or a plain file; `theirs` gives it to another user.
  enum kind { folder, link, file };
  struct entry {
    std::string path;
    kind made;
    mode_t mode;
    bool theirs;
  };
  struct row {
    const char* what;
    std::vector<entry> entries;
    std::string used;  // relative to the top; empty: refused
    int error;
    int spare = 0;  // > 0: the descriptors left free while it is opened
  };
  const row rows[] = {
      {"nothing there", {}, mine, 0},
      {"a sticky .Trash", {{".Trash", folder, 01777, false}}, shared_mine, 0},
      {"a sticky .Trash with one descriptor to spare", {{".Trash", folder, 01777, false}}, shared_mine, 0, 1},
      {"a .Trash not sticky", {{".Trash", folder, 0777, false}}, mine, 0},
      {"a .Trash that is a link", {{".Trash", link, 01777, false}}, mine, 0},
      {"the user's folder in .Trash another's",
       {{".Trash", folder, 01777, false}, {shared_mine, folder, 0700, true}}, mine, 0},
      {"the user's folder in .Trash open to the group",
       {{".Trash", folder, 01777, false}, {shared_mine, folder, 0770, false}}, mine, 0},
      {"the user's folder in .Trash a link", {{".Trash", folder, 01777, false}, {shared_mine, link, 0755, false}},
       mine, 0},
      {".Trash-$uid a link", {{mine, link, 0755, false}}, "", ELOOP},
      {".Trash-$uid another's", {{mine, folder, 0700, true}}, "", EACCES},
      {".Trash-$uid open to all", {{mine, folder, 0777, false}}, "", EACCES},
      {".Trash-$uid a plain file", {{mine, file, 0, false}}, "", ENOTDIR},
      {"files a link", {{mine, folder, 0700, false}, {mine + "/files", link, 0755, false}}, "", ELOOP},
      {"info another's", {{mine + "/info", folder, 0700, true}}, "", EACCES},
      {"files open to the group", {{mine + "/files", folder, 0770, false}}, "", EACCES},
  };
  std::size_t left_out = 0;
  for (const row& r : rows) {
    SCOPED_TRACE(r.what);
    if (me != 0 && std::any_of(r.entries.begin(), r.entries.end(), [](const entry& e) { return e.theirs; })) {
      ++left_out;
      continue;
    }
    temp_dir dir;
    const fs::path top = dir.path();
    for (const entry& e : r.entries) {
      const fs::path path = top / e.path, made = e.made == link ? top / "elsewhere" : path;
      if (e.made == file) {
        write_file(path, "not a folder");
        continue;
      }
      fs::create_directories(made);
      ASSERT_EQ(chmod(made.c_str(), e.mode), 0);
      if (e.made == link) {
        ASSERT_EQ(symlink(made.c_str(), path.c_str()), 0);
      }
      if (e.theirs) {
        ASSERT_EQ(lchown(path.c_str(), other, other), 0);
      }
    }
    fs::create_directories(top / "src");
    write_file(top / "src" / "a.o", "object");
    platform::held_descriptor top_folder(open(top.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    platform::held_descriptor source(open((top / "src").c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    struct stat status {};
    ASSERT_EQ(fstat(top_folder.get(), &status), 0);
    platform::trash_directory trash;
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &saved), 0);
    const int lowest_free = dup(0);  // the limit bounds the numbers, which are taken lowest first
    close(lowest_free);
    const rlimit tight{static_cast<rlim_t>(lowest_free + r.spare), saved.rlim_max};
    if (r.spare > 0) {
      ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &tight), 0);
    }
    const int error = trash.open_at_top(top_folder, me, status.st_dev);
    setrlimit(RLIMIT_NOFILE, &saved);
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
