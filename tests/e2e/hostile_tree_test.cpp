// Trees that fight back: links, FIFOs, devices, mounts, denied and held
// entries, folders swapped or moved during the run, the limits of the machine.

#include "end_to_end_fixture.h"

using namespace e2e;

namespace {

// A folder swapped for a link to a folder of same-named objects while its
// files go: each judged file goes from the folder it was judged in, and
// nothing of the other folder is touched.
TEST_F(end_to_end, a_folder_swapped_for_a_link_during_the_removals_touches_nothing_of_the_other_folder) {
  const std::string victim = base / "elsewhere";
  while_a_folder_changes(
      [&](const std::string& name) { return victim + "/" + name; }, obj_start,
      [&] { return tree + "/sub/f1000.obj"; },
      [&] {
        EXPECT_EQ(rename((tree + "/sub").c_str(), (tree + "/moved").c_str()), 0);
        EXPECT_EQ(symlink(victim.c_str(), (tree + "/sub").c_str()), 0);
      },
      [&](const std::string& how, const run_result&, const std::vector<std::string>& names,
          const std::vector<std::string>& judged) {
        EXPECT_EQ(list_tree(victim), names);
        if (!how.empty()) {
          EXPECT_EQ(trash_listed(base / "xdg"), judged);
        }
      });
}

// A folder moved elsewhere keeps its handle: only its place tells it is out of the tree.
TEST_F(end_to_end, a_folder_moved_out_of_the_tree_before_its_removals_keeps_its_files) {
  const std::string outside = base / "elsewhere";
  // The browse files come first, in the root: the folder goes while they do.
  while_a_folder_changes(
      [&](const std::string& name) { return tree + "/b" + name.substr(1, 4) + ".sbr"; }, sbr_start,
      [&] { return tree + "/b1000.sbr"; },
      [&] { EXPECT_EQ(rename((tree + "/sub").c_str(), outside.c_str()), 0); },
      [&](const std::string&, const run_result&, const std::vector<std::string>& names,
          const std::vector<std::string>&) {
        EXPECT_EQ(list_tree(tree), std::vector<std::string>{});
        EXPECT_EQ(list_tree(outside), names);
      });
}

TEST_F(end_to_end, a_file_that_is_a_mount_point_is_refused_and_the_run_goes_on) {
  if (target().wine) GTEST_SKIP() << "a mount namespace of the Linux program";
  const private_tmpfs mounted({}, "");
  if (!mounted.failure.empty()) GTEST_SKIP() << mounted.failure;
  put(tree + "/m.obj", with_payload(obj_start));
  put(base / "mounted.obj", with_payload(obj_start));
  put(tree + "/z.pdb", with_payload(pdb_start));
  ASSERT_EQ(mount((base / "mounted.obj").c_str(), (tree + "/m.obj").c_str(), nullptr, MS_BIND, nullptr), 0)
      << strerror(errno);
  const run_result result = run("-outputlog -f " + shown(tree));
  umount2((tree + "/m.obj").c_str(), MNT_DETACH);
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, stdout_of({"ERROR Message:The requested resource is in use.\n\n" + tree + "/m.obj",
                                   tree + "/z.pdb"}));
  EXPECT_EQ(list_tree(tree), std::vector<std::string>{"m.obj"});
}

TEST_F(end_to_end, read_only_file_is_reported_and_later_files_are_still_removed) {
  const std::string locked = tree + "/a.obj";
  put(locked, with_payload(obj_start));
  ASSERT_EQ(chmod(locked.c_str(), 0444), 0);
  put(tree + "/sub/b.obj", with_payload(obj_start));
  put(tree + "/c.pdb", with_payload(pdb_start));
  const run_result result = run("-outputlog -f " + shown(tree));
  EXPECT_EQ(result.status, 0);
  const std::vector<std::string> messages = {"ERROR Message:" + access_denied_text() + "\n" + shown(locked),
                                             shown(tree + "/sub/b.obj"), shown(tree + "/c.pdb")};
  EXPECT_EQ(result.out, stdout_of(messages));
  EXPECT_EQ(run_log(result), log_lines(messages));
  EXPECT_EQ(list_tree(tree), (std::vector<std::string>{"a.obj", "sub/"}));
  EXPECT_EQ(read_file(locked), with_payload(obj_start));
  put(tree + "/sub/b.obj", with_payload(obj_start));
  EXPECT_EQ(run("-summary -f " + shown(tree)).out,
            stdout_of({messages[0], "removed: 1 file, 9 bytes (9 B) from " + shown(tree), "left: 1 file refused"}));
}

TEST_F(end_to_end, a_folder_or_file_that_denies_access_is_reported_and_everything_else_is_cleaned) {
  const uid_t user = other_user();
  if (user == 0) GTEST_SKIP() << "no second user to run as (not root, or under Wine)";
  const std::string denied = "ERROR Message:" + access_denied_text() + "\n";
  // Every mode that reads a candidate; a file and a folder the user may not
  // read, and a folder it may list but not enter.
  for (const std::string mode : {"-del0", "-dryrun", "-older\"0\"", "-gototrashbox"}) {
    SCOPED_TRACE(mode);
    remove_tree(tree);
    const std::string data_home = fresh_trash();
    for (const std::string& folder : {data_home, data_home + "/Trash", data_home + "/Trash/files",
                                      data_home + "/Trash/info"})
      ASSERT_EQ(chown(folder.c_str(), user, user), 0);
    put(tree + "/a.obj", with_payload(obj_start));
    put(tree + "/closed/b.obj", with_payload(obj_start));
    put(tree + "/open/c.obj", with_payload(obj_start));
    put(tree + "/open/listed/d.obj", with_payload(obj_start));
    put(tree + "/open/unread.pdb", with_payload(pdb_start));
    // The user gets into every folder but two, and may delete in them.
    for (const std::string& folder : {base.path(), work, tree, tree + "/open"})
      ASSERT_EQ(chmod(folder.c_str(), 0777), 0);
    ASSERT_EQ(chmod((tree + "/closed").c_str(), 0), 0);
    ASSERT_EQ(chmod((tree + "/open/listed").c_str(), 0744), 0);
    ASSERT_EQ(chmod((tree + "/open/unread.pdb").c_str(), 0600), 0);
    // An empty browse file the user may not read is judged by its size with del0.
    put(tree + "/open/e.sbr", "");
    ASSERT_EQ(chmod((tree + "/open/e.sbr").c_str(), 0200), 0);
    run_request request;
    request.text = mode + " -outputlog -f " + shown(tree);
    request.other_user = user;
    request.set_env = {{"XDG_DATA_HOME", data_home}};
    const run_result result = run_in_work(request);
    EXPECT_EQ(result.status, 0);
    // A folder told as the walk meets it, before any removal; files as the pass reaches them.
    const bool del0 = mode == "-del0", dry_run = mode == "-dryrun";
    const std::string c_obj = shown(tree + "/open/c.obj");
    std::vector<std::string> messages{denied + shown(tree + "/closed"),
                                      del0 ? shown(tree + "/open/e.sbr") : denied + shown(tree + "/open/e.sbr"),
                                      shown(tree + "/a.obj"), c_obj, denied + shown(tree + "/open/listed/d.obj"),
                                      denied + shown(tree + "/open/unread.pdb")};
    if (dry_run)
      messages.push_back("dry run: 2 files, " + std::to_string(2 * with_payload(obj_start).size()) +
                         " bytes would be removed from " + shown(tree));
    EXPECT_EQ(result.out, stdout_of(messages));
    ASSERT_EQ(chmod((tree + "/closed").c_str(), 0755), 0);
    std::vector<std::string> left{"closed/", "closed/b.obj", "open/", "open/e.sbr", "open/listed/",
                                  "open/listed/d.obj", "open/unread.pdb"};
    if (del0) left.erase(left.begin() + 3);
    if (dry_run) left = {"a.obj", "closed/", "closed/b.obj", "open/", "open/c.obj", "open/e.sbr",
                         "open/listed/", "open/listed/d.obj", "open/unread.pdb"};
    EXPECT_EQ(list_tree(tree), left);
  }
}

TEST_F(end_to_end, fifos_sockets_and_links_neither_hold_the_run_nor_lead_out_of_the_tree) {
  const generated_tree made = generate_tree(tree, 2, 10);
  const std::string outside = base / "outside";
  const generated_tree elsewhere = generate_tree(outside, 1, 10);
  std::vector<std::string> left = made.left_after_clean();
  const auto link = [&](const std::string& target, const std::string& name) {
    ASSERT_EQ(symlink(target.c_str(), (tree + "/" + name).c_str()), 0) << name;
    left.push_back(name);
  };
  link("nowhere.obj", "a.obj");
  link(outside, "out");
  link("..", "d0/up");
  // Judged by the output it names, the link goes; Wine opens it as that output, so there it stays, reported.
  link(outside + "/" + elsewhere.outputs[0], "far.obj");
  if (!target().wine) left.pop_back();
  if (!target().wine) {  // Windows has neither
    // A link named like an output that loops, or leads to a folder, is never a folder of the tree.
    link("loop.obj", "loop.obj");
    link(outside, "dl.obj");
    ASSERT_EQ(mkfifo((tree + "/x.obj").c_str(), 0644), 0);
    const int unix_socket = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string socket_path = tree + "/s.pdb";
    ASSERT_LT(socket_path.size(), sizeof address.sun_path);
    socket_path.copy(address.sun_path, socket_path.size());
    ASSERT_EQ(bind(unix_socket, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    close(unix_socket);
    left.insert(left.end(), {"s.pdb", "x.obj"});
  }
  std::sort(left.begin(), left.end());
  const run_result result = run("-f " + shown(tree));
  EXPECT_EQ(result.status, 0) << result.out;
  const std::string far = "ERROR Message:" + unresolved_name_text() + "\n" + shown(tree + "/far.obj");
  EXPECT_EQ(result.out, stdout_of(target().wine ? std::vector<std::string>{far} : std::vector<std::string>{}));
  EXPECT_EQ(list_tree(tree), left);
  std::vector<std::string> untouched = elsewhere.left_after_clean();
  untouched.insert(untouched.end(), elsewhere.outputs.begin(), elsewhere.outputs.end());
  std::sort(untouched.begin(), untouched.end());
  EXPECT_EQ(list_tree(outside), untouched);
}

TEST_F(end_to_end, a_link_to_a_device_and_a_fifo_are_never_opened_and_the_run_goes_on) {
  if (target().wine) GTEST_SKIP() << "Windows has neither devices nor FIFOs in a tree";
  if (geteuid() != 0) GTEST_SKIP() << "making a device node needs root";
  // A node of the test's own with /dev/null's numbers, and a FIFO: no other
  // process opens either.
  const std::string node = base / "null", fifo = tree + "/f.obj";
  ASSERT_EQ(mknod(node.c_str(), S_IFCHR | 0666, makedev(1, 3)), 0) << strerror(errno);
  ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
  const int watch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  ASSERT_GE(watch, 0);
  for (const std::string& watched : {node, fifo}) ASSERT_GE(inotify_add_watch(watch, watched.c_str(), IN_OPEN), 0);
  const auto opens_seen = [watch] {
    alignas(inotify_event) char events[4096];
    int seen = 0;
    ssize_t got = 0;
    while ((got = read(watch, events, sizeof events)) > 0)
      for (ssize_t at = 0; at < got; at += sizeof(inotify_event) + reinterpret_cast<inotify_event*>(events + at)->len)
        ++seen;
    return seen;
  };
  // The watch sees an open of either (a nodev mount would refuse the node's).
  const int probe = open(node.c_str(), O_RDONLY);
  if (probe < 0) GTEST_SKIP() << "device nodes cannot be opened here: " << strerror(errno);
  close(probe);
  close(open(fifo.c_str(), O_RDONLY | O_NONBLOCK));
  ASSERT_EQ(opens_seen(), 2);

  ASSERT_EQ(symlink(node.c_str(), (tree + "/x.o").c_str()), 0);
  put(tree + "/a.obj", with_payload(obj_start));
  const run_result result = run("-outputlog -f " + shown(tree));
  EXPECT_EQ(result.status, 0) << result.out;
  EXPECT_EQ(result.out, stdout_of({tree + "/a.obj"}));
  EXPECT_EQ(run_log(result), log_lines({tree + "/a.obj"}));
  EXPECT_EQ(list_tree(tree), (std::vector<std::string>{"f.obj", "x.o"}));
  EXPECT_EQ(opens_seen(), 0);
  close(watch);
  // The link still leads to the node, and the FIFO is one still.
  struct stat node_info {}, fifo_info {};
  EXPECT_TRUE(stat((tree + "/x.o").c_str(), &node_info) == 0 && S_ISCHR(node_info.st_mode) &&
              node_info.st_rdev == makedev(1, 3));
  EXPECT_TRUE(lstat(fifo.c_str(), &fifo_info) == 0 && S_ISFIFO(fifo_info.st_mode));
}

// A file held without read sharing, and a folder held without any (an
// indexer, a scanner), in either mode: each is reported and kept, the rest goes.
TEST_F(end_to_end, a_file_or_folder_held_open_without_sharing_is_reported_and_the_pass_goes_on) {
  if (!target().wine) GTEST_SKIP() << "Linux has no share modes";
  put(tree + "/a.pdb", with_payload(pdb_start));
  put(tree + "/held/e.obj", with_payload(obj_start));
  temp_dir scratch;
  std::vector<std::unique_ptr<child_process>> holders;
  for (const std::string& held : {"a.pdb", "held"}) {
    process_request hold;
    hold.argv = {"wine", windows_helper("hold_open.exe"), shown(tree + "/" + held), held == "held" ? "0" : "2"};
    hold.set_env = wine_env();
    hold.unset_env = {"DISPLAY", "WAYLAND_DISPLAY"};
    hold.stdout_path = scratch / held;
    holders.push_back(std::make_unique<child_process>(hold));
    ASSERT_TRUE(wait_for_text(hold.stdout_path, "held", run_timeout_ms()));
  }
  for (const std::string how : {"", "-gototrashbox "}) {
    put(tree + "/b.obj", with_payload(obj_start));
    put(tree + "/c.res", with_payload(res_start));
    put(tree + "/d.o", with_payload(mingw_start));
    const run_result result = run(how + "-outputlog -f " + shown(tree), stdout_mode::capture,
                                  {{"XDG_DATA_HOME", fresh_trash()}});
    EXPECT_EQ(result.status, 0) << how;
    const std::string shared = "ERROR Message:" + sharing_violation_text() + "\n" + shown(tree) + separator();
    const std::vector<std::string> messages = {shared + "held", shown(tree + "/b.obj"), shared + "a.pdb",
                                               shown(tree + "/c.res"), shown(tree + "/d.o")};
    EXPECT_EQ(result.out, stdout_of(messages)) << how;
    EXPECT_EQ(run_log(result), log_lines(messages)) << how;
    EXPECT_EQ(list_tree(tree), (std::vector<std::string>{"a.pdb", "held/", "held/e.obj"})) << how;
    remove_tree(work + "/brulo_log.log");
  }
}

// Deeper than any path can name, under a tight descriptor limit and under the
// highest the system allows: every object goes, every look-alike stays.
TEST_F(end_to_end, chains_thousands_of_folders_deep_are_cleaned_under_any_descriptor_limit) {
  if (target().wine) GTEST_SKIP() << "Windows paths cannot be that deep";
  rlimit current{};
  ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &current), 0);
  // The tight limit with the walk on eight threads, which hold more open at once.
  const struct {
    int depth, every;
    unsigned long limit;
    const char* threads;
  } cases[] = {{5000, 50, 256, "8"},
               {4000, 1, 256, "1"},  // the teeth wait while their parents close and open again
               {30000, 500, static_cast<unsigned long>(current.rlim_max), ""}};
  for (const auto& c : cases) {
    SCOPED_TRACE("depth " + std::to_string(c.depth) + ", descriptor limit " + std::to_string(c.limit));
    deep_chain chain(tree + "/chain", c.depth, c.every);
    run_request request;
    request.text = "-f " + shown(tree);
    request.descriptor_limit = c.limit;
    if (*c.threads != '\0') request.set_env = {{"BRULO_THREADS", c.threads}};
    const run_result result = run_in_work(request);
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, stdout_of({}));
    EXPECT_EQ(chain.left(), std::make_pair(0, chain.levels_with_files()));
  }
}

// ---- a tree that changes under the run, and the limits of the machine ----------

class changing_tree : public end_to_end {
 protected:
  // `count` folders below `root`, each holding one object x.obj.
  void plant(const std::string& root, int count) {
    for (int i = 0; i < count; ++i) put(root + "/f" + std::to_string(i) + "/x.obj", with_payload(obj_start));
  }
  static int objects_in(const std::string& root, int count) {
    int left = 0;
    for (int i = 0; i < count; ++i) left += exists(root + "/f" + std::to_string(i) + "/x.obj") ? 1 : 0;
    return left;
  }
  void SetUp() override {
    end_to_end::SetUp();
    if (target().wine) GTEST_SKIP() << "the tree is changed through Linux calls at a moment only Linux tells";
  }
};

TEST_F(changing_tree, a_folder_locked_after_the_walk_is_reported_once_and_the_rest_is_cleaned) {
  const uid_t user = other_user();
  if (user == 0) GTEST_SKIP() << "no second user to run as (not root)";
  plant(tree, 40);
  put(tree + "/a.sbr", with_payload(sbr_start));
  for (const std::string& folder : {base.path(), work, tree}) ASSERT_EQ(chmod(folder.c_str(), 0777), 0);
  for (int i = 0; i < 40; ++i) ASSERT_EQ(chmod((tree + "/f" + std::to_string(i)).c_str(), 0777), 0);
  run_request request;
  request.text = "-f " + shown(tree);
  request.other_user = user;
  request.descriptor_limit = 12;  // too few to keep the folders open: each is opened again
  run_result result;
  {
    // The browse file goes first; the objects' folders are reached after it.
    open_watch lock(tree + "/a.sbr", [&] { EXPECT_EQ(chmod((tree + "/f7").c_str(), 0), 0); });
    result = run_in_work(request);
    EXPECT_TRUE(lock.fired());
  }
  ASSERT_EQ(chmod((tree + "/f7").c_str(), 0755), 0);
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, stdout_of({"ERROR Message:" + access_denied_text() + "\n" + shown(tree + "/f7")}));
  EXPECT_EQ(objects_in(tree, 40), 1);
  EXPECT_TRUE(exists(tree + "/f7/x.obj"));
}

TEST_F(changing_tree, a_root_swapped_for_a_link_as_the_walk_starts_sends_nothing_out_of_the_tree) {
  const std::string walked = base / "walked", other = base / "other";
  const std::string data_home = fresh_trash();
  for (const std::string how : {"", "-gototrashbox "}) {
    SCOPED_TRACE(how);
    for (const std::string& root : {tree, walked, other}) remove_tree(root);
    plant(tree, 200);
    plant(other, 200);
    // Enough in one folder that the walk is still going when the swap comes.
    for (int i = 0; i < 5000; ++i) put(tree + "/h/" + std::to_string(i) + ".h", "");
    open_watch swap(tree, [&] {
      ASSERT_EQ(rename(tree.c_str(), walked.c_str()), 0);
      ASSERT_EQ(symlink(other.c_str(), tree.c_str()), 0);
    });
    run_request request;
    request.text = how + "-f " + shown(tree);
    request.descriptor_limit = 64;
    request.set_env = {{"XDG_DATA_HOME", data_home}};
    const run_result result = run_in_work(request);
    ASSERT_TRUE(swap.fired());
    EXPECT_EQ(result.status, 0) << result.out;
    EXPECT_EQ(objects_in(other, 200), 200);
    EXPECT_EQ(objects_in(walked, 200), 0);
  }
}

TEST_F(changing_tree, a_fifo_or_folder_put_in_place_of_a_listed_file_stays_and_the_run_goes_on) {
  // The same in the modes that judge by age or by size.
  for (const std::string how : {"", "-older\"0\" ", "-del0 "}) {
    SCOPED_TRACE(how);
    remove_tree(tree);
    put(tree + "/a.sbr", sbr_start);
    for (int i = 0; i < 300; ++i) put(tree + "/z/" + std::to_string(i) + ".sbr", sbr_start);
    put(tree + "/z/b.obj", with_payload(obj_start));
    put(tree + "/z/c.pdb", pdb_start);
    put(tree + "/z/d.res", res_start);
    // While the other browse files go, two files listed as plain become a FIFO and a folder.
    open_watch swap(tree + "/a.sbr", [this] {
      ASSERT_EQ(unlink((tree + "/z/b.obj").c_str()), 0);
      ASSERT_EQ(mkfifo((tree + "/z/b.obj").c_str(), 0644), 0);
      ASSERT_EQ(unlink((tree + "/z/c.pdb").c_str()), 0);
      make_dirs(tree + "/z/c.pdb");
    });
    const run_result result = run(how + "-f " + shown(tree));
    ASSERT_TRUE(swap.fired());
    EXPECT_EQ(result.status, 0) << result.out;
    EXPECT_EQ(result.out, stdout_of({}));
    EXPECT_EQ(list_tree(tree), (std::vector<std::string>{"z/", "z/b.obj", "z/c.pdb/"}));
  }
  // A name that keeps turning from a plain file into a FIFO and back, so that
  // a change falls between any two looks at it: by age too, the file is
  // judged as it is open, or kept.
  remove_tree(tree);
  put(tree + "/b.obj", with_payload(obj_start));
  std::atomic<bool> stop{false};
  const std::string fifo = base / "fifo", name = tree + "/b.obj";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
  std::thread flipper([&] {
    while (!stop)
      if (renameat2(AT_FDCWD, fifo.c_str(), AT_FDCWD, name.c_str(), RENAME_EXCHANGE) != 0)
        write_file(name, with_payload(obj_start));  // removed while it was a file
  });
  for (int round = 0; round < 20; ++round) {
    const run_result result = run("-older\"0\" -f " + shown(tree));
    EXPECT_EQ(result.status, 0) << "round " << round << ": " << result.out;
    if (result.status != 0) break;
  }
  stop = true;
  flipper.join();
}

TEST_F(changing_tree, every_limit_of_descriptors_or_memory_still_cleans_the_whole_tree) {
  const struct {
    unsigned long descriptors, memory;
    const char* threads;
  } cases[] = {{8, 0, "8"},         {9, 0, "8"},         {10, 0, "8"},        {12, 0, "8"},
               {13, 0, "8"},        {16, 0, "8"},        {24, 0, "8"},        {40, 0, "8"},
               {0, 20u << 20, "24"}, {0, 100u << 20, "24"}, {0, 100u << 20, "1000"}};
  for (const auto& c : cases) {
    SCOPED_TRACE("descriptors " + std::to_string(c.descriptors) + ", memory " + std::to_string(c.memory) +
                 ", threads " + c.threads);
    plant(tree, 40);
    run_request request;
    request.text = "-f " + shown(tree);
    request.descriptor_limit = c.descriptors;
    request.memory_limit = c.memory;
    request.set_env = {{"BRULO_THREADS", c.threads}};
    const run_result result = run_in_work(request);
    EXPECT_EQ(result.status, 0) << result.out;
    EXPECT_EQ(objects_in(tree, 40), 0);
  }
  // A move to the trash holds descriptors of its own: a chain 40 deep, an
  // object in each folder, at every limit from 8 up, and a chain 20 deep on
  // another device, whose trash, in a shared .Trash, is found while the home
  // trash is held.
  const std::string data_home = fresh_trash(), other = tree + "/other";
  const private_tmpfs mounted({other}, "mode=0755");
  if (mounted.failure.empty()) {
    make_dirs(other + "/.Trash");
    ASSERT_EQ(chmod((other + "/.Trash").c_str(), 01777), 0);
  }
  for (unsigned long descriptors = 8; descriptors <= 40; ++descriptors) {
    SCOPED_TRACE("-gototrashbox, descriptors " + std::to_string(descriptors));
    std::string folder = tree, far = other;
    for (int depth = 0; depth < 40; ++depth) put((folder += "/d") + "/x.obj", with_payload(obj_start));
    for (int depth = 0; depth < 20 && mounted.failure.empty(); ++depth)
      put((far += "/d") + "/x.obj", with_payload(obj_start));
    run_request request;
    request.text = "-gototrashbox -f " + shown(tree);
    request.descriptor_limit = descriptors;
    request.set_env = {{"XDG_DATA_HOME", data_home}, {"BRULO_THREADS", "8"}};
    const run_result result = run_in_work(request);
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, stdout_of({}));
    EXPECT_EQ(list_tree(data_home + "/Trash/files").size(), 40 * (descriptors - 7));
    if (mounted.failure.empty()) {
      EXPECT_EQ(list_tree(other + "/.Trash/" + std::to_string(getuid()) + "/files").size(), 20 * (descriptors - 7));
    }
  }
  if (!mounted.failure.empty()) GTEST_SKIP() << "one device only: " << mounted.failure;
}

}  // namespace
