// What a run leaves alone (older, skip, the marker, dry runs) and the
// summary and totals it reports.

#include "end_to_end_fixture.h"

using namespace e2e;

namespace {

TEST_F(end_to_end, dry_run_without_outputlog_totals_each_tree_and_leaves_the_trash_alone) {
  const std::string data_home = fresh_trash();
  put(tree + "/a/x.obj", with_payload(obj_start));
  put(tree + "/a/sub/y.pdb", pdb_start);
  put(tree + "/a/keep.obj", "text");
  make_dirs(tree + "/b");
  const std::string a = shown(tree + "/a");
  const std::string b = shown(tree + "/b");
  const run_result result =
      run("-dryrun -gototrashbox -f\"" + a + "\" -f " + b, stdout_mode::capture, {{"XDG_DATA_HOME", data_home}});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, stdout_of({shown(tree + "/a/x.obj"), shown(tree + "/a/sub/y.pdb"),
                                   "dry run: 2 files, 41 bytes would be removed from " + a,
                                   "dry run: 0 files, 0 bytes would be removed from " + b}));
  EXPECT_EQ(list_tree(tree), (std::vector<std::string>{"a/", "a/keep.obj", "a/sub/", "a/sub/y.pdb", "a/x.obj", "b/"}));
  EXPECT_EQ(list_tree(work), std::vector<std::string>{});
  EXPECT_EQ(list_tree(data_home), (std::vector<std::string>{"Trash/", "Trash/files/", "Trash/info/"}));
}
// ---- leaving things alone, and the summary --------------------------------------

// The files of `relative` below `root` in the order one pattern's pass meets them.
std::vector<std::string> in_walk_order(const std::string& root, const std::vector<std::string>& relative) {
  std::vector<std::string> folders;
  folders_in_pre_order(root, folders);
  std::vector<std::string> ordered;
  for (const auto& folder : folders)
    for (const auto& name : listing_order(folder)) {
      const std::string path = folder + "/" + name;
      if (std::find(relative.begin(), relative.end(), path.substr(root.size() + 1)) != relative.end())
        ordered.push_back(path);
    }
  return ordered;
}

class leaving_alone : public end_to_end {
 protected:
  // An object of `bytes` bytes written `days` days ago.
  void put_aged(const std::string& path, std::size_t bytes, int days, const std::string& start = obj_start) {
    put(path, start + std::string(bytes - start.size(), 'x'));
    ASSERT_EQ(run_command({"touch", "-d", std::to_string(days) + " days ago", path}, 10000), 0);
  }
  // The tree every case below cleans: outputs of several ages, folders to
  // skip by wildcards in other letter cases, a marker deep down.
  void plant() {
    put_aged(tree + "/old.obj", 100, 40);
    put_aged(tree + "/fresh.obj", 200, 1);
    put_aged(tree + "/src/old.obj", 300, 31);
    put_aged(tree + "/src/edge.obj", 400, 29);
    put_aged(tree + "/Vendor_zlib/v.obj", 10, 90);
    put_aged(tree + "/THIRD_party/t.obj", 10, 90);
    put_aged(tree + "/lib/.brulokeep", 2, 90);
    put_aged(tree + "/lib/deep/k.obj", 10, 90);
  }
  const std::string skips = "-skip\"vendor*\" -skip\"third_party\" ";
};

TEST_F(leaving_alone, older_skip_and_the_marker_each_keep_what_they_name) {
  plant();
  const std::string keep = shown(tree + "/lib");
  struct case_ {
    std::string options;
    std::vector<std::string> removed;
  };
  const case_ cases[] = {
      {"-older\"30\" ", {"old.obj", "src/old.obj", "Vendor_zlib/v.obj", "THIRD_party/t.obj"}},
      {skips, {"old.obj", "fresh.obj", "src/old.obj", "src/edge.obj"}},
      {"", {"old.obj", "fresh.obj", "src/old.obj", "src/edge.obj", "Vendor_zlib/v.obj", "THIRD_party/t.obj"}},
  };
  for (const case_& c : cases) {
    SCOPED_TRACE(c.options);
    const run_result result = run("-dryrun " + c.options + "-f " + shown(tree));
    EXPECT_EQ(result.status, 0);
    std::vector<std::string> lines = {"kept: " + keep + " (.brulokeep)"};
    std::size_t bytes = 0;
    for (const std::string& path : in_walk_order(tree, c.removed)) {
      lines.push_back(shown(path));
      bytes += read_file(path).size();
    }
    lines.push_back("dry run: " + std::to_string(c.removed.size()) + " files, " + std::to_string(bytes) +
                    " bytes would be removed from " + shown(tree));
    EXPECT_EQ(result.out, stdout_of(lines));
  }
  // The real run takes what the dry run listed, and the marker keeps its whole subtree.
  const run_result result = run("-older\"30\" " + skips + "-f " + shown(tree));
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, stdout_of({}));
  EXPECT_EQ(list_tree(tree), (std::vector<std::string>{"THIRD_party/", "THIRD_party/t.obj", "Vendor_zlib/",
                                                       "Vendor_zlib/v.obj", "fresh.obj", "lib/", "lib/.brulokeep",
                                                       "lib/deep/", "lib/deep/k.obj", "src/", "src/edge.obj"}));
  // At the root the marker keeps everything; an entry of any kind, in any case, is one.
  make_dirs(tree + "/.BruloKeep");
  const run_result kept = run("-dryrun -f " + shown(tree));
  EXPECT_EQ(kept.out, stdout_of({"kept: " + shown(tree) + " (.brulokeep)",
                                 "dry run: 0 files, 0 bytes would be removed from " + shown(tree)}));
}

TEST_F(leaving_alone, skip_names_hold_no_wildcards_but_star_and_question_mark) {
  // Brackets, a semicolon and a leading blank are part of the names.
  for (const char* folder : {"a[1]", "a1", "a;b", "a", "b", " x", "x", "Q7", "q77"})
    put(tree + "/" + folder + "/k.obj", with_payload(obj_start));
  EXPECT_EQ(run("-skip\"a[1]\" -skip\"a;b\" -skip\" x\" -skip\"q?\" -f " + shown(tree)).status, 0);
  EXPECT_EQ(list_tree(tree), (std::vector<std::string>{" x/", " x/k.obj", "Q7/", "Q7/k.obj", "a/", "a1/", "a;b/",
                                                       "a;b/k.obj", "a[1]/", "a[1]/k.obj", "b/", "q77/", "x/"}));
}

TEST_F(leaving_alone, older_compares_times_at_either_end_of_the_range_exactly) {
  // A file system in memory keeps such times; a disk's clamps them to 1901 and 2446.
  if (target().wine || !is_dir("/dev/shm")) GTEST_SKIP() << "Linux with a file system in memory at /dev/shm only";
  const temp_dir memory("/dev/shm");
  for (const std::int64_t seconds : {-9223372036854775000, 9223372036854775000}) {
    const std::string path = memory / (seconds < 0 ? "ancient.obj" : "future.obj");
    write_file(path, with_payload(obj_start));
    const timespec times[2] = {{seconds, 0}, {seconds, 0}};
    struct stat info {};
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0) << strerror(errno);
    if (stat(path.c_str(), &info) != 0 || info.st_mtim.tv_sec != seconds) GTEST_SKIP() << "/dev/shm clamps the time";
  }
  EXPECT_EQ(run("-dryrun -older\"1\" -f " + shown(memory.path())).out,
            stdout_of({shown(memory / "ancient.obj"),
                       "dry run: 1 file, 9 bytes would be removed from " + shown(memory.path())}));
}

TEST_F(leaving_alone, summary_counts_each_tree_and_the_total_and_the_trash_reads_as_such) {
  const std::string data_home = fresh_trash();
  put_aged(tree + "/a/x.obj", 1000, 40);
  put_aged(tree + "/a/sub/y.obj", 1048576 + 524288, 40);
  put_aged(tree + "/a/sub/fresh.obj", 7, 0);
  put_aged(tree + "/b/z.obj", 26, 40);
  make_dirs(tree + "/c");
  const std::string a = shown(tree + "/a"), b = shown(tree + "/b"), c = shown(tree + "/c");
  const run_result result = run("-summary -older\"1\" -f\"" + a + "\" -f\"" + b + "\" -f " + c);
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, stdout_of({"removed: 2 files, 1573864 bytes (1.5 MiB) from " + a,
                                   "left: 1 file newer than -older 1", "removed: 1 file, 26 bytes (26 B) from " + b,
                                   "removed: 0 files, 0 bytes (0 B) from " + c,
                                   "total: 3 files, 1573890 bytes (1.5 MiB) removed from 3 trees",
                                   "left: 1 file newer than -older 1"}));
  EXPECT_EQ(list_tree(tree), (std::vector<std::string>{"a/", "a/sub/", "a/sub/fresh.obj", "b/", "c/"}));
  // One tree: no total; the trash says so.
  const run_result trashed = run("-gototrashbox -summary -outputlog -f " + a, stdout_mode::capture,
                                 {{"XDG_DATA_HOME", data_home}});
  EXPECT_EQ(trashed.out, stdout_of({shown(tree + "/a/sub/fresh.obj"), "moved to the trash: 1 file, 7 bytes (7 B) from " + a}));
  EXPECT_EQ(run_log(trashed), log_lines({shown(tree + "/a/sub/fresh.obj"), "moved to the trash: 1 file, 7 bytes (7 B) from " + a}));
  EXPECT_EQ(list_tree(data_home + "/Trash/files"), std::vector<std::string>{"fresh.obj"});
  // A dry run: its own line, then where the space is, by kind and by folder.
  put_aged(tree + "/b/w.obj", 5, 3);
  put_aged(tree + "/b/p/r.obj", 1000, 3);
  put_aged(tree + "/b/p/q.pdb", 2048, 3, pdb_start);
  put_aged(tree + "/b/s/deep/v.obj", 5, 3);  // b/s holds its outputs in b/s/deep alone: b/s/deep stands for it
  put(tree + "/b/kept/.brulokeep", "");
  put(tree + "/b/vendor/v.obj", with_payload(obj_start));
  const run_result dry = run("-dryrun -summary -gototrashbox -older\"2\" -skip\"vendor\" -f\"" + a + "\" -f " + b,
                             stdout_mode::capture, {{"XDG_DATA_HOME", data_home}});
  std::vector<std::string> lines = {"dry run: 0 files, 0 bytes would be removed from " + a,
                                    "kept: " + shown(tree + "/b/kept") + " (.brulokeep)"};
  for (const std::string& path : in_walk_order(tree, {"b/w.obj", "b/p/r.obj", "b/s/deep/v.obj"})) lines.push_back(shown(path));
  lines.insert(lines.end(), {shown(tree + "/b/p/q.pdb"), "dry run: 4 files, 3058 bytes would be removed from " + b,
                             "  *.pdb   1 file  2.0 KiB  ####################\n"
                             "  *.obj  3 files   1010 B  #########",
                             "  " + b + "         2.9 KiB\n  " + shown(tree + "/b/p") + "       2.9 KiB\n  " +
                                 shown(tree + "/b/s/deep") + "      5 B",
                             "left: 1 folder with .brulokeep, 1 folder by -skip",
                             "total: 4 files, 3058 bytes (2.9 KiB) would be removed from 2 trees",
                             "left: 1 folder with .brulokeep, 1 folder by -skip"});
  EXPECT_EQ(dry.out, stdout_of(lines));
  EXPECT_EQ(list_tree(data_home + "/Trash/files"), std::vector<std::string>{"fresh.obj"});
  EXPECT_TRUE(exists(tree + "/b/w.obj"));
}

TEST_F(leaving_alone, at_a_terminal_the_summary_shows_and_the_progress_line_never_stands_among_messages) {
  if (target().wine) GTEST_SKIP() << "a Windows program has no terminal";
  std::vector<std::string> names;
  for (int folder = 0; folder < 8; ++folder)
    for (int file = 0; file < 5; ++file) names.push_back("d" + std::to_string(folder) + "/f" + std::to_string(file) + ".obj");
  for (const std::string& name : names) put(tree + "/" + name, with_payload(obj_start));
  std::vector<std::string> messages;
  for (const std::string& path : in_walk_order(tree, names)) messages.push_back(path);
  const std::string total = "removed: 40 files, 360 bytes (360 B) from " + tree;
  run_request request;
  request.text = "-outputlog -f " + tree;
  request.cwd = work;
  request.set_env = {{"BRULO_PROGRESS_AFTER_MS", "0"}, {"NO_COLOR", "1"}, {"TERM", "xterm"}};
  // In a pipe or a file: no summary, and nothing on standard error.
  program_run piped(request);
  run_result result = piped.finish();
  EXPECT_EQ(mask_times(result.out, result.started, result.finished), stdout_of(messages));
  EXPECT_EQ(piped.errors_so_far(), "");
  for (const std::string& name : names) put(tree + "/" + name, with_payload(obj_start));
  request.terminal = request.output_to_terminal = true;
  program_run at_terminal(request);
  const std::string seen = at_terminal.process().read_terminal_until(on_terminal(echoed(total)), run_timeout_ms());
  result = at_terminal.finish();
  EXPECT_EQ(result.status, 0);
  EXPECT_NE(seen.find("\rwalking: 1 folder, 8 entries, 0 candidates\x1b[K"), std::string::npos) << seen;
  EXPECT_NE(seen.find("\rremoving: 1 of 40 [--------------------] 2% 9 B freed\x1b[K"), std::string::npos) << seen;
  // Each drawing of the line is one piece without a line end, and an erasure
  // ends the drawings before the next message: without them every message is whole.
  messages.push_back(total);
  const std::regex progress("(\r[^\r\n]*\x1b\\[K)*\r\x1b\\[K");
  const std::string without_progress = std::regex_replace(seen, progress, "");
  EXPECT_EQ(mask_times(without_progress, result.started, result.finished), on_terminal(stdout_of(messages)));
  // On a narrow terminal every drawing stays within one line.
  for (const std::string& name : names) put(tree + "/" + name, with_payload(obj_start));
  request.terminal_columns = 30;
  program_run narrow(request);
  const std::string narrow_seen = narrow.process().read_terminal_until(on_terminal(echoed(total)), run_timeout_ms());
  EXPECT_EQ(narrow.finish().status, 0);
  EXPECT_NE(narrow_seen.find("\rremoving: 1 of 40 [----------\x1b[K"), std::string::npos) << narrow_seen;
  const std::regex drawing("\r([^\r\n\x1b]*)\x1b\\[K");
  for (std::sregex_iterator it(narrow_seen.begin(), narrow_seen.end(), drawing), end; it != end; ++it)
    EXPECT_LT((*it)[1].length(), 30) << (*it)[1];
}

TEST_F(leaving_alone, the_totals_count_what_the_removals_free_a_link_by_its_own_size) {
  if (target().wine) GTEST_SKIP() << "links to files need Linux";
  put(base / "far/target.obj", with_payload(obj_start) + std::string(1048576, 'x'));
  put(tree + "/real.obj", with_payload(obj_start));
  for (const char* link : {"/one.obj", "/two.obj"})
    ASSERT_EQ(symlink((base / "far/target.obj").c_str(), (tree + link).c_str()), 0);
  const auto apparent_bytes = [this] {
    std::string out;
    EXPECT_EQ(run_command({"du", "-sb", "--apparent-size", tree}, 10000, &out), 0);
    return std::stoull(out);
  };
  const unsigned long long before = apparent_bytes();
  const run_result dry = run("-dryrun -f " + shown(tree));
  const run_result result = run("-summary -f " + shown(tree));
  const std::string freed = std::to_string(before - apparent_bytes());
  EXPECT_EQ(result.out, stdout_of({"removed: 3 files, " + freed + " bytes (" + freed + " B) from " + tree}));
  EXPECT_NE(dry.out.find("dry run: 3 files, " + freed + " bytes would be removed"), std::string::npos) << dry.out;
  EXPECT_TRUE(exists(base / "far/target.obj"));
}

TEST_F(leaving_alone, a_file_of_several_names_counts_its_bytes_with_the_last_name_that_goes) {
  const std::string content = with_payload(obj_start) + std::string(1048576, 'x');
  const std::string size = std::to_string(content.size()), data_home = fresh_trash();
  // Two names in the tree: the second frees the bytes; a third name outside keeps them.
  for (const bool outside : {false, true}) {
    SCOPED_TRACE(outside);
    const std::string freed = outside ? "0 bytes" : size + " bytes";
    for (const std::string how : {"", "-gototrashbox "}) {
      if (target().wine && !how.empty()) continue;  // the recycle bin tells nothing of names
      remove_tree(tree);
      remove_tree(base / "outside.obj");
      put(tree + "/a/one.obj", content);
      make_dirs(tree + "/b");
      ASSERT_EQ(link((tree + "/a/one.obj").c_str(), (tree + "/b/two.obj").c_str()), 0);
      if (outside) {
        ASSERT_EQ(link((tree + "/a/one.obj").c_str(), (base / "outside.obj").c_str()), 0);
      }
      const run_result dry = run("-dryrun " + how + "-f " + shown(tree));
      EXPECT_NE(dry.out.find("dry run: 2 files, " + freed + " would be removed"), std::string::npos) << dry.out;
      // In two trees: once, in the tree where the last name goes.
      const std::string two = run("-dryrun " + how + "-f\"" + shown(tree + "/a") + "\" -f " + shown(tree + "/b")).out;
      EXPECT_NE(two.find("1 file, " + freed + " would be removed from " + shown(tree + "/b")), std::string::npos) << two;
      const run_result result =
          run(how + "-summary -f " + shown(tree), stdout_mode::capture, {{"XDG_DATA_HOME", data_home}});
      const std::string done = how.empty() ? "removed" : "moved to the trash";
      EXPECT_EQ(result.out, stdout_of({done + ": 2 files, " + freed + " (" + (outside ? "0 B" : "1.0 MiB") + ") from " +
                                       shown(tree)}));
    }
  }
}

}  // namespace
