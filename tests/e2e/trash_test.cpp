// The recycle bin and the desktop trash: which trash takes each file, and
// that no run ever walks into one.

#include "end_to_end_fixture.h"

using namespace e2e;

namespace {

TEST_F(end_to_end, recycle_mode_moves_files_into_the_trash) {
  const std::string data_home = fresh_trash();
  const std::string content = with_payload(obj_start) + " recycled";
  put(tree + "/a.obj", content);
  const run_result result =
      run("-gototrashbox -outputlog -f " + shown(tree), stdout_mode::capture, {{"XDG_DATA_HOME", data_home}});
  EXPECT_EQ(result.status, 0);
  const std::string removed = shown(tree + "/a.obj");
  EXPECT_EQ(result.out, stdout_of({removed}));
  EXPECT_EQ(run_log(result), log_lines({removed}));
  EXPECT_EQ(list_tree(tree), std::vector<std::string>{});
  EXPECT_EQ(list_tree(data_home), (std::vector<std::string>{"Trash/", "Trash/files/", "Trash/files/a.obj",
                                                            "Trash/info/", "Trash/info/a.obj.trashinfo"}));
  EXPECT_EQ(read_file(data_home + "/Trash/files/a.obj"), content);
  const std::string info = read_file(data_home + "/Trash/info/a.obj.trashinfo");
  const std::string info_start = "[Trash Info]\nPath=" + tree + "/a.obj\nDeletionDate=";
  EXPECT_EQ(info.substr(0, info_start.size()), info_start) << info;
  if (target().wine) return;
  EXPECT_EQ(trash_listed(data_home), std::vector<std::string>{tree + "/a.obj"});
  EXPECT_EQ(run_command({"sh", "-c", "echo 0 | trash-restore \"$1\"", "sh", tree}, run_timeout_ms(), nullptr,
                        {{"XDG_DATA_HOME", data_home}}),
            0);
  EXPECT_EQ(read_file(tree + "/a.obj"), content);
  EXPECT_EQ(list_tree(data_home), (std::vector<std::string>{"Trash/", "Trash/files/", "Trash/info/"}));
}

// A tree on another mount goes to that mount's own trash, one on a read-only
// mount is reported and kept, and the run goes on.
TEST_F(end_to_end, the_trash_of_another_mount_takes_its_files_and_a_read_only_mount_keeps_them) {
  if (target().wine) GTEST_SKIP() << "the Linux trash";
  const std::string other = base / "other", locked = base / "locked";
  const private_tmpfs mounted({other, locked}, "mode=0755");
  if (!mounted.failure.empty()) GTEST_SKIP() << mounted.failure;
  put(other + "/tree/a.obj", with_payload(obj_start));
  put(other + "/tree/sub/b.obj", with_payload(obj_start));
  put(locked + "/tree/r.obj", with_payload(obj_start));
  ASSERT_EQ(mount(nullptr, locked.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr), 0) << strerror(errno);
  const std::string data_home = fresh_trash();
  const run_result result = run("-gototrashbox -outputlog -f\"" + locked + "/tree\" -f " + other + "/tree",
                                stdout_mode::capture, {{"XDG_DATA_HOME", data_home}});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, stdout_of({"ERROR Message:The media is write protected.\n\n" + locked + "/tree/r.obj",
                                   other + "/tree/a.obj", other + "/tree/sub/b.obj"}));
  EXPECT_EQ(read_file(locked + "/tree/r.obj"), with_payload(obj_start));
  EXPECT_EQ(list_tree(other + "/tree"), std::vector<std::string>{"sub/"});
  const std::string info = read_file(other + "/.Trash-" + std::to_string(getuid()) + "/info/b.obj.trashinfo");
  const std::string info_start = "[Trash Info]\nPath=tree/sub/b.obj\nDeletionDate=";  // relative to the mount
  EXPECT_EQ(info.substr(0, info_start.size()), info_start) << info;
  EXPECT_EQ(trash_listed(data_home), (std::vector<std::string>{other + "/tree/a.obj", other + "/tree/sub/b.obj"}));
  // Cleaning the whole mount leaves its trashes as they are.
  put(other + "/.Trash/c.obj", with_payload(obj_start));
  const std::vector<std::string> mount_before = list_tree(other);
  EXPECT_EQ(run("-f " + other).status, 0);
  EXPECT_EQ(list_tree(other), mount_before);
}

TEST_F(end_to_end, the_home_trash_inside_the_tree_is_never_walked_in_either_mode) {
  if (target().wine) GTEST_SKIP() << "the Linux trash";
  const std::string home = base / "home", data_home = home + "/.local/share";
  // Trashed earlier, with its record: a file that would count as an output anywhere else.
  put(data_home + "/Trash/files/a.o", with_payload(mingw_start));
  put(data_home + "/Trash/info/a.o.trashinfo",
      "[Trash Info]\nPath=" + home + "/old/a.o\nDeletionDate=2026-01-02T03:04:05\n");
  const std::vector<std::string> earlier = list_tree(data_home);
  for (const std::string how : {"-gototrashbox ", ""}) {
    SCOPED_TRACE(how);
    put(home + "/proj/b.o", with_payload(mingw_start));
    const run_result result = run(how + "-f " + home, stdout_mode::capture, {{"HOME", home}, {"XDG_DATA_HOME", data_home}});
    EXPECT_EQ(result.status, 0) << result.out;
    EXPECT_FALSE(exists(home + "/proj/b.o"));
  }
  EXPECT_EQ(trash_listed(data_home), (std::vector<std::string>{home + "/old/a.o", home + "/proj/b.o"}));
  EXPECT_EQ(read_file(data_home + "/Trash/files/a.o"), with_payload(mingw_start));
  // The deleting run took nothing from the trash either: the moved file is there too.
  EXPECT_EQ(read_file(data_home + "/Trash/files/b.o"), with_payload(mingw_start));
  for (const std::string& entry : earlier) EXPECT_TRUE(exists(data_home + "/" + entry)) << entry;
}

// The home trash may be a link to a folder elsewhere on the file's device, as
// other clients allow. Without the home itself, a file on its device is
// reported and kept, and nothing is made in the home's place.
TEST_F(end_to_end, the_home_trash_is_followed_through_a_link_and_without_a_home_the_file_stays) {
  if (target().wine) GTEST_SKIP() << "the Linux trash";
  const std::string data_home = base / "linked", elsewhere = base / "elsewhere", no_home = base / "no-home";
  make_dirs(data_home);
  make_dirs(elsewhere + "/Trash");
  ASSERT_EQ(symlink((elsewhere + "/Trash").c_str(), (data_home + "/Trash").c_str()), 0);
  put(tree + "/a.obj", with_payload(obj_start));
  run_result result = run("-gototrashbox -outputlog -f " + tree, stdout_mode::capture, {{"XDG_DATA_HOME", data_home}});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, stdout_of({tree + "/a.obj"}));
  EXPECT_EQ(read_file(elsewhere + "/Trash/files/a.obj"), with_payload(obj_start));
  EXPECT_EQ(trash_listed(data_home), std::vector<std::string>{tree + "/a.obj"});

  put(tree + "/b.obj", with_payload(obj_start));
  result = run("-gototrashbox -outputlog -f " + tree, stdout_mode::capture, {{"XDG_DATA_HOME", ""}, {"HOME", no_home}});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, stdout_of({"ERROR Message:The system cannot find the file specified.\n\n" + tree + "/b.obj"}));
  EXPECT_EQ(read_file(tree + "/b.obj"), with_payload(obj_start));
  EXPECT_FALSE(exists(no_home));
}

// Without HOME (a service, cron) the home is the user database's, for the
// trash and for the walk alike: a run over that home keeps what was trashed.
TEST_F(end_to_end, without_home_the_users_home_trash_takes_the_files_and_is_never_walked) {
  if (target().wine) GTEST_SKIP() << "the Linux trash";
  const passwd* user = getpwuid(geteuid());
  if (user == nullptr || user->pw_dir[0] != '/') GTEST_SKIP() << "no home in the user database";
  const std::string home = user->pw_dir, trashed = home + "/.local/share/Trash/files/a.obj";
  const private_tmpfs mounted({home}, "mode=0700");  // the real home is never touched
  if (!mounted.failure.empty()) GTEST_SKIP() << mounted.failure;
  put(home + "/proj/a.obj", with_payload(obj_start));
  const std::vector<std::pair<std::string, std::string>> no_home = {{"HOME", ""}, {"XDG_DATA_HOME", ""}};
  EXPECT_EQ(run("-gototrashbox -f " + home + "/proj", stdout_mode::capture, no_home).out, stdout_of({}));
  EXPECT_EQ(run("-f " + home, stdout_mode::capture, no_home).status, 0);
  EXPECT_EQ(read_file(trashed), with_payload(obj_start));
}

// A bind mount of the home trash's file system has a trash of its own at its
// top; seen from the real mount that is an ordinary folder, and no folder
// named as a mount's trash is entered at any depth.
TEST_F(end_to_end, a_bind_mount_takes_its_files_into_its_own_trash_which_no_run_enters) {
  if (target().wine) GTEST_SKIP() << "the Linux trash";
  const std::string real = base / "real", bound = base / "bound";
  const private_tmpfs mounted({real}, "mode=0755");
  if (!mounted.failure.empty()) GTEST_SKIP() << mounted.failure;
  for (const std::string& folder : {real + "/src", bound}) make_dirs(folder);
  ASSERT_EQ(mount((real + "/src").c_str(), bound.c_str(), nullptr, MS_BIND, nullptr), 0) << strerror(errno);
  const std::string trash = real + "/src/.Trash-" + std::to_string(getuid());
  put(trash + "/files/old.obj", with_payload(obj_start));
  put(real + "/deep/.Trash/files/c.obj", with_payload(obj_start));
  put(bound + "/tree/a.obj", with_payload(obj_start));
  EXPECT_EQ(run("-gototrashbox -f " + bound + "/tree", stdout_mode::capture, {{"XDG_DATA_HOME", real + "/data"}}).out,
            stdout_of({}));
  umount2(bound.c_str(), MNT_DETACH);
  const std::string info = read_file(trash + "/info/a.obj.trashinfo"), start = "[Trash Info]\nPath=tree/a.obj\n";
  EXPECT_EQ(info.substr(0, start.size()), start) << info;
  const std::vector<std::string> before = list_tree(real);
  EXPECT_EQ(run("-f " + real).status, 0);
  EXPECT_EQ(list_tree(real), before);
  EXPECT_EQ(read_file(trash + "/files/a.obj"), with_payload(obj_start));
}

// On a shared sticky tmpfs another user has made this user's .Trash-$uid a
// link: only this user's moves there are refused, and the run goes on. On
// another, a folder of mode 0711 above the tree does not keep the files from
// that mount's trash.
TEST_F(end_to_end, a_mount_trash_made_a_link_by_another_user_keeps_the_files_and_the_run_goes_on) {
  if (target().wine) GTEST_SKIP() << "the Linux trash";
  const uid_t user = other_user();
  if (user == 0) GTEST_SKIP() << "no other user to run as: not root";
  const std::string shared = base / "shared", closed = base / "closed";
  const private_tmpfs mounted({shared, closed}, "mode=1777");
  if (!mounted.failure.empty()) GTEST_SKIP() << mounted.failure;
  const std::string uid = std::to_string(user);
  make_dirs(shared + "/elsewhere");
  ASSERT_EQ(symlink((shared + "/elsewhere").c_str(), (shared + "/.Trash-" + uid).c_str()), 0);
  put(shared + "/tree/a.obj", with_payload(obj_start));
  put(closed + "/locked/tree/b.obj", with_payload(obj_start));
  ASSERT_EQ(chmod((closed + "/locked").c_str(), 0711), 0);
  for (const std::string& path : {shared + "/tree", shared + "/tree/a.obj", closed + "/locked/tree",
                                  closed + "/locked/tree/b.obj"})
    ASSERT_EQ(chown(path.c_str(), user, user), 0);
  chmod(base.path().c_str(), 0755);
  chmod(work.c_str(), 0777);
  run_request request;
  request.arguments = {"-gototrashbox", "-outputlog", "-f", shared + "/tree", "-f", closed + "/locked/tree"};
  request.other_user = user;
  request.set_env = {{"XDG_DATA_HOME", ""}, {"HOME", "/proc/self/no-home"}};
  const run_result result = run_in_work(request);
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, stdout_of({"ERROR Message:The name of the file cannot be resolved by the system.\n\n" +
                                       shared + "/tree/a.obj",
                                   closed + "/locked/tree/b.obj"}));
  EXPECT_EQ(read_file(shared + "/tree/a.obj"), with_payload(obj_start));
  EXPECT_EQ(list_tree(shared + "/elsewhere"), std::vector<std::string>{});
  EXPECT_EQ(read_file(closed + "/.Trash-" + uid + "/files/b.obj"), with_payload(obj_start));
}

TEST_F(end_to_end, four_runs_at_once_put_every_output_in_the_trash_exactly_once) {
  const std::string data_home = fresh_trash();
  const generated_tree made = generate_tree(tree, 20, 50);
  clean_four_at_once(work, tree, "-gototrashbox ", {{"XDG_DATA_HOME", data_home}});
  EXPECT_EQ(list_tree(tree), made.left_after_clean());
  std::vector<std::string> trashed;
  for (const std::string& name : list_tree(data_home + "/Trash/files"))
    trashed.push_back(read_file(data_home + "/Trash/files/" + name));
  std::vector<std::string> expected = made.payloads;
  std::sort(trashed.begin(), trashed.end());
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(trashed, expected);
  EXPECT_EQ(list_tree(data_home + "/Trash/info").size(), expected.size());
}

}  // namespace
