// What a run removes and in which order: the working directory, relative
// roots, decoys, the ten passes in one walk, runs side by side.

#include "end_to_end_fixture.h"

using namespace e2e;

namespace {

// ---- cleaning ------------------------------------------------------------------------

TEST_F(end_to_end, current_cleans_the_working_directory_at_any_length) {
  // Once, 520 bytes were the most a working directory could have (Linux only:
  // the Windows one is read by another layer).
  std::string deep = work;
  while (deep.size() < 600) deep += "/" + std::string(100, 'd');
  for (const std::string& cwd : target().wine ? std::vector<std::string>{work} : std::vector<std::string>{work, deep}) {
    SCOPED_TRACE(cwd.size());
    put(cwd + "/a.obj", with_payload(obj_start));
    put(cwd + "/sub/b.o", with_payload(mingw_start));
    put(cwd + "/keep.txt", "text");
    run_request request;
    request.text = "-outputlog -current";
    request.cwd = cwd;
    const run_result result = run_program(request);
    EXPECT_EQ(result.status, 0);
    const std::vector<std::string> removed = {shown(cwd + "/a.obj"), shown(cwd + "/sub/b.o")};
    EXPECT_EQ(mask_times(result.out, result.started, result.finished), stdout_of(removed));
    EXPECT_EQ(mask_times(read_file(cwd + "/brulo_log.log"), result.started, result.finished), log_lines(removed));
    EXPECT_EQ(list_tree(cwd), (std::vector<std::string>{"brulo_log.log", "keep.txt", "sub/"}));
  }
}

// On Windows the root is made absolute once; the files below it lie past
// MAX_PATH in that form. (Wine takes such paths either way.)
TEST_F(end_to_end, a_relative_root_is_cleaned_past_max_path_in_its_full_form) {
  std::string deep = "rel";
  for (int i = 0; i < 3; ++i) deep += separator() + std::string(100, 'd');
  std::string on_disk = deep;
  std::replace(on_disk.begin(), on_disk.end(), '\\', '/');
  put(work + "/" + on_disk + "/a.obj", with_payload(obj_start));
  put(work + "/" + on_disk + "/keep.txt", "text");
  const run_result result = run("-outputlog -f rel");
  EXPECT_EQ(result.status, 0) << result.out;
  EXPECT_EQ(result.out, stdout_of({deep + separator() + "a.obj"}));
  EXPECT_EQ(list_tree(work + "/" + on_disk), std::vector<std::string>{"keep.txt"});
}

// A folder swapped for a link to a folder of same-named objects once the
// removals in it have begun: each file goes from the folder it was judged in
// or stays, and nothing of the other folder is deleted.
TEST_F(end_to_end, delete_mode_removes_files_without_trash_and_outputlog_off_writes_no_log) {
  const std::string data_home = fresh_trash();
  put(tree + "/a.obj", with_payload(obj_start));
  put(tree + "/sub/b.ilk", with_payload(ilk_start));
  const run_result result = run("-f " + shown(tree), stdout_mode::capture, {{"XDG_DATA_HOME", data_home}});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, stdout_of({}));
  EXPECT_EQ(list_tree(tree), std::vector<std::string>{"sub/"});
  EXPECT_EQ(list_tree(work), std::vector<std::string>{});
  EXPECT_EQ(list_tree(data_home), (std::vector<std::string>{"Trash/", "Trash/files/", "Trash/info/"}));
}

TEST_F(end_to_end, decoys_stay_and_are_not_mentioned) {
  // Recognised: one per pattern in the root, so the order is fixed.
  put(tree + "/short.sbr", bytes({0x00, 0x02, 0x00, 0x07}));  // the missing fifth byte counts as zero
  put(tree + "/good.obj", with_payload(obj_start));
  put(tree + "/upper/X.OBJ", with_payload(obj_start));
  put(tree + "/good.pch", with_payload(pch_start));
  put(tree + "/good.ilk", with_payload(ilk_start));
  put(tree + "/good.bsc", with_payload(pdb_start));
  put(tree + "/good.pdb", with_payload(pdb_start));
  put(tree + "/good.idb", with_payload(pdb_start));
  put(tree + "/good.res", with_payload(res_start));
  put(tree + "/good.opp", with_payload(mingw_start));
  put(tree + "/tiny.o", bytes({0x4C, 0x01, 0x1C}));  // zeros beyond the end complete the signature
  // Decoys.
  const std::vector<std::pair<std::string, std::string>> decoys = {
      {"empty.sbr", ""},
      {"bad.sbr", bytes({0x00, 0x02, 0x00, 0x08, 0x00})},
      {"bad.obj", "MZ" + with_payload(obj_start)},
      {"upper/BAD.OBJ", bytes({0x4C, 0x02})},
      {"bad.pch", "VCPCX"},
      {"bad.ilk", "Microsoft Linker Databasf"},
      {"short.pdb", pdb_start.substr(0, 31)},
      {"bad.bsc", "microsoft C/C++ program database"},
      {"bad.idb", "Microsoft C/C++ program databasE"},
      {"bad.res", res_start.substr(0, 15) + "\x01"},
      {"bad.opp", bytes({0x4C, 0x01, 0x1C, 0x00, 0x00, 0x00, 0x01})},
      {"bad.o", obj_start},
      {"good.obj.txt", with_payload(obj_start)},
      {"good.exe", with_payload(obj_start)},
  };
  for (const auto& decoy : decoys) put(tree + "/" + decoy.first, decoy.second);

  const run_result result = run("-outputlog -f " + shown(tree));
  EXPECT_EQ(result.status, 0);
  const std::vector<std::string> removed = {
      shown(tree + "/short.sbr"), shown(tree + "/good.obj"), shown(tree + "/upper/X.OBJ"),
      shown(tree + "/good.pch"),  shown(tree + "/good.ilk"), shown(tree + "/good.bsc"),
      shown(tree + "/good.pdb"),  shown(tree + "/good.idb"), shown(tree + "/good.res"),
      shown(tree + "/good.opp"),  shown(tree + "/tiny.o")};
  EXPECT_EQ(result.out, stdout_of(removed));
  EXPECT_EQ(run_log(result), log_lines(removed));
  std::vector<std::string> left = {"upper/"};
  for (const auto& decoy : decoys) left.push_back(decoy.first);
  std::sort(left.begin(), left.end());
  EXPECT_EQ(list_tree(tree), left);
  for (const auto& decoy : decoys) EXPECT_EQ(read_file(tree + "/" + decoy.first), decoy.second) << decoy.first;
}

TEST_F(end_to_end, del0_counts_empty_browse_files_only) {
  put(tree + "/empty.sbr", "");
  put(tree + "/empty.obj", "");
  put(tree + "/empty.pdb", "");
  put(tree + "/bad.sbr", "not empty");
  // Where the space is, when there is none: no blanks at the ends of the lines.
  EXPECT_EQ(run("-dryrun -summary -del0 -f " + shown(tree)).out, stdout_of({shown(tree + "/empty.sbr"),
            "dry run: 1 file, 0 bytes would be removed from " + shown(tree), "  *.sbr  1 file  0 B", "  " + shown(tree) + "  0 B"}));
  const run_result result = run("-del0 -outputlog -f " + shown(tree));
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, stdout_of({shown(tree + "/empty.sbr")}));
  EXPECT_EQ(list_tree(tree), (std::vector<std::string>{"bad.sbr", "empty.obj", "empty.pdb"}));
}

TEST_F(end_to_end, removal_follows_pattern_order_then_depth_first_folders) {
  // Pattern order: *.sbr *.obj *.pch *.ilk *.bsc *.pdb *.idb *.res *.opp *.o.
  put(tree + "/n.o", with_payload(mingw_start));
  put(tree + "/r.pdb", with_payload(pdb_start));
  put(tree + "/w.obj", with_payload(obj_start));
  put(tree + "/d1/x.obj", with_payload(obj_start));
  put(tree + "/d1/q.res", with_payload(res_start));
  put(tree + "/d1/d2/y.obj", with_payload(obj_start));
  put(tree + "/d1/d2/z.pch", with_payload(pch_start));
  put(tree + "/d1/d2/m.opp", with_payload(mingw_start));
  put(tree + "/e1/v.obj", with_payload(obj_start));
  put(tree + "/e1/s.sbr", with_payload(sbr_start));
  const run_result result = run("-outputlog -f " + shown(tree));
  EXPECT_EQ(result.status, 0);

  // The two sibling folders may be listed either way round; each one's
  // subtree is visited whole before the other.
  auto order = [&](bool d1_first) {
    const std::vector<std::string> obj_d1 = {shown(tree + "/d1/x.obj"), shown(tree + "/d1/d2/y.obj")};
    const std::vector<std::string> obj_e1 = {shown(tree + "/e1/v.obj")};
    std::vector<std::string> removed = {shown(tree + "/e1/s.sbr"), shown(tree + "/w.obj")};
    for (const auto& path : d1_first ? obj_d1 : obj_e1) removed.push_back(path);
    for (const auto& path : d1_first ? obj_e1 : obj_d1) removed.push_back(path);
    for (const char* rest : {"/d1/d2/z.pch", "/r.pdb", "/d1/q.res", "/d1/d2/m.opp", "/n.o"})
      removed.push_back(shown(tree + rest));
    return removed;
  };
  const std::string d1_first = stdout_of(order(true));
  const std::string e1_first = stdout_of(order(false));
  EXPECT_TRUE(result.out == d1_first || result.out == e1_first) << result.out;
  EXPECT_EQ(list_tree(tree), (std::vector<std::string>{"d1/", "d1/d2/", "e1/"}));
}

TEST_F(end_to_end, root_ending_in_a_separator_doubles_it_for_root_files_only) {
  put(tree + "/a.obj", with_payload(obj_start));
  put(tree + "/sub/b.obj", with_payload(obj_start));
  const run_result result = run("-outputlog -f " + shown(tree) + separator());
  EXPECT_EQ(result.status, 0);
  const std::vector<std::string> removed = {shown(tree) + separator() + separator() + "a.obj",
                                            shown(tree + "/sub/b.obj")};
  EXPECT_EQ(result.out, stdout_of(removed));
  EXPECT_EQ(run_log(result), log_lines(removed));
}

// ---- under load ----------------------------------------------------------------------

TEST_F(end_to_end, four_runs_at_once_remove_every_output_between_them) {
  const generated_tree made = generate_tree(tree, 40, 50);
  clean_four_at_once(work, tree, "", {});
  EXPECT_EQ(list_tree(tree), made.left_after_clean());
}

// ---- one walk per tree ------------------------------------------------------------

bool ends_with_extension(const std::string& name, const std::string& extension) {
  if (name.size() < extension.size() + 1 || name[name.size() - extension.size() - 1] != '.') return false;
  for (std::size_t i = 0; i < extension.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(name[name.size() - extension.size() + i])) != extension[i]) return false;
  return true;
}

TEST_F(end_to_end, one_walk_removes_in_the_order_of_ten_passes_and_never_leaves_through_a_link) {
  const std::vector<std::string> extensions = {"sbr", "obj", "pch", "ilk", "bsc", "pdb", "idb", "res", "opp", "o"};
  const std::vector<std::string> starts = {sbr_start, obj_start, pch_start, ilk_start, pdb_start,
                                           pdb_start, pdb_start, res_start, mingw_start, mingw_start};
  put(base / "outside/far.obj", with_payload(obj_start));
  // The same tree cleaned with the walk's default threads, with the main
  // thread alone and always on eight must give the same bytes.
  std::vector<std::string> outs;
  for (const char* threads : {"", "1", "8"}) {
    SCOPED_TRACE(std::string("BRULO_THREADS=") + threads);
    remove_tree(tree);
    // A fixed pseudo-random tree: folders nested under earlier ones, every pattern
    // in mixed case, outputs and look-alikes side by side.
    unsigned seed = 16;
    auto next = [&seed](unsigned range) {
      seed = seed * 1103515245u + 12345u;
      return (seed >> 16) % range;
    };
    std::vector<std::string> folders = {tree};
    for (int i = 0; i < 14; ++i) folders.push_back(folders[next(folders.size())] + "/d" + std::to_string(i));
    std::set<std::string> outputs;
    int count = 0;
    for (const auto& folder : folders) {
      make_dirs(folder);
      for (int j = 0; j < 9; ++j) {
        const unsigned kind = next(10);
        const std::string extension = next(3) == 0 ? upper(extensions[kind]) : extensions[kind];
        const std::string path = folder + "/f" + std::to_string(count++) + "." + extension;
        const bool output = next(4) != 0;
        write_file(path, output ? with_payload(starts[kind]) : "look-alike");
        if (output) outputs.insert(path);
      }
      write_file(folder + "/notes" + std::to_string(count++) + ".objx", with_payload(obj_start));
    }
    // Outputs behind a link to a folder outside the tree stay, and a link back up is no loop.
    ASSERT_EQ(symlink((base / "outside").c_str(), (folders[3] + "/away").c_str()), 0);
    ASSERT_EQ(symlink(tree.c_str(), (folders[5] + "/up").c_str()), 0);

    std::vector<std::string> expected;
    std::vector<std::string> walk;
    folders_in_pre_order(tree, walk);
    for (const auto& extension : extensions)
      for (const auto& folder : walk)
        for (const auto& name : listing_order(folder))
          if (ends_with_extension(name, extension) && outputs.count(folder + "/" + name))
            expected.push_back(shown(folder + "/" + name));
    ASSERT_EQ(expected.size(), outputs.size());

    std::vector<std::pair<std::string, std::string>> env;
    if (*threads != '\0') env.push_back({"BRULO_THREADS", threads});
    const run_result result = run("-outputlog -f " + shown(tree), stdout_mode::capture, env);
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, stdout_of(expected));
    outs.push_back(result.out);
    for (const auto& path : outputs) EXPECT_FALSE(exists(path)) << path;
    EXPECT_EQ(read_file(base / "outside/far.obj"), with_payload(obj_start));
    EXPECT_EQ(list_tree(base / "outside"), std::vector<std::string>{"far.obj"});
  }
  EXPECT_EQ(outs[0], outs[1]);
  EXPECT_EQ(outs[0], outs[2]);
}

}  // namespace
