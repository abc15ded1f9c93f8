// Today's tool chains: real outputs built when the suite runs, with and
// without "modern", and in dry runs.

#include "end_to_end_fixture.h"

using namespace e2e;

namespace {

// ---- today's build outputs ("modern") and dry runs ---------------------------------------

// Real files of today's tool chains, built once per run of the suite.
const std::string& corpus() {
  static temp_dir folder;
  static const std::string path = [] {
    const std::string out = folder / "corpus";
    std::string log;
    const int status =
        run_command({"bash", "-c", "\"$0\" \"$1\" 2>&1", BRULO_E2E_CORPUS_SCRIPT, out}, 300000, &log);
    EXPECT_EQ(status, 0) << "building the corpus failed:\n" << log;
    return out;
  }();
  return path;
}

// Real outputs that the classic rules know already.
const std::vector<std::string> classic_corpus = {"clang_x86.obj", "windres.res"};
// Real outputs that only "modern" knows.
const std::vector<std::string> modern_corpus = {
    "clang_x64.obj",      "clang_arm64.obj",        "clang_thumb2.obj",   "clang_pch_user.obj",
    "generic/add.c.obj",  "clang_cl.pch",           "lld_link.pdb",       "mingw_i686_cpp.opp",
    "mingw_i686.o",       "mingw_i686_debug.o",     "mingw_x86_64.o",     "mingw_bigobj.o",
    "gcc_elf.o",          "clang_elf_big_endian.o", "clang_macho_x64.o",  "clang_macho_arm64.o",
    "clang_macho_i386.o", "clang_macho_lto.o",      "clang_module.pcm",   "gcm.cache/twice.gcm",
    "gcc_c_header.h.gch", "clang_c_header.h.gch",
    "cmake_gxx/CMakeFiles/app.dir/cmake_pch.hxx.gch",     "cmake_gxx/CMakeFiles/app.dir/main.cpp.o",
    "cmake_gxx/CMakeFiles/app.dir/twice.cpp.o",           "cmake_clangxx/CMakeFiles/app.dir/cmake_pch.hxx.pch",
    "cmake_clangxx/CMakeFiles/app.dir/main.cpp.o",        "cmake_clangxx/CMakeFiles/app.dir/twice.cpp.o",
    "clang_coverage_big_endian.gcno", "mingw_x86_64_split.dwo", ".vs/app/v17/Browse.VC.db",
    "cmake_coverage/app.wpa.gcno", "cmake_coverage/app.ltrans0.ltrans.gcno", "cmake_coverage/app.ltrans0.ltrans.dwo",
    "cmake_coverage/CMakeFiles/app.dir/cmake_pch.hxx.gcno",
    "cmake_coverage/CMakeFiles/app.dir/main.cpp.o",      "cmake_coverage/CMakeFiles/app.dir/main.cpp.gcno",
    "cmake_coverage/CMakeFiles/app.dir/main.cpp.gcda",   "cmake_coverage/CMakeFiles/app.dir/main.cpp.dwo",
    "cmake_coverage/CMakeFiles/app.dir/twice.cpp.o",     "cmake_coverage/CMakeFiles/app.dir/twice.cpp.gcno",
    "cmake_coverage/CMakeFiles/app.dir/twice.cpp.gcda",  "cmake_coverage/CMakeFiles/app.dir/twice.cpp.dwo",
    "cmake_profile/default.profraw", "cmake_profile/app.profdata",
    "cmake_profile/CMakeFiles/app.dir/main.cpp.o",       "cmake_profile/CMakeFiles/app.dir/twice.cpp.o"};
// What the tool chains' builds keep: folders, sources, generated sources and programs.
const std::vector<std::string> corpus_kept = [] {
  std::vector<std::string> kept = {"generic/", "gcm.cache/", "twice.cppm", "cmake_project/", "cmake_project/CMakeLists.txt",
                                   "cmake_project/main.cpp", "cmake_project/twice.cpp", ".vs/", ".vs/app/", ".vs/app/v17/"};
  for (const std::string build : {"cmake_gxx/", "cmake_clangxx/"})
    for (const char* name : {"", "app", "CMakeFiles/", "CMakeFiles/app.dir/", "CMakeFiles/app.dir/cmake_pch.hxx",
                             "CMakeFiles/app.dir/cmake_pch.hxx.cxx"})
      kept.push_back(build + name);
  for (const std::string build : {"cmake_coverage/", "cmake_profile/"})
    for (const char* name : {"", "app", "CMakeFiles/", "CMakeFiles/app.dir/"}) kept.push_back(build + name);
  return kept;
}();
// Real files under an object's name that are no objects: images and shared objects.
const std::vector<std::string> corpus_look_alikes = {"lld_link_dll.obj", "mingw_exe.obj",  "elf_executable.o",
                                                     "elf_executable.obj", "elf_shared.o", "elf_shared.obj"};

std::vector<std::string> joined(std::initializer_list<std::vector<std::string>> lists) {
  std::vector<std::string> all;
  for (const auto& list : lists) all.insert(all.end(), list.begin(), list.end());
  std::sort(all.begin(), all.end());
  return all;
}

// The pattern whose pass takes a file of the corpus.
std::string pattern_of(const std::string& relative) {
  const std::string browse_database = ".VC.db";
  if (relative.size() > browse_database.size() &&
      relative.compare(relative.size() - browse_database.size(), std::string::npos, browse_database) == 0)
    return "*" + browse_database;
  return "*" + relative.substr(relative.rfind('.'));
}

// Where a file's removal comes in a pass: by pattern, then root before subfolders.
int pass_rank(const std::string& relative) {
  const std::vector<std::string> order = {
      "*.sbr", "*.obj", "*.pch", "*.ilk",  "*.bsc",  "*.pdb",  "*.idb",     "*.res",      "*.opp", "*.o", "*.lo",
      "*.gch", "*.pcm", "*.gcm", "*.ifc", "*.ipdb", "*.iobj", "*.gcno", "*.gcda", "*.profraw", "*.profdata",
      "*.dwo", "*.VC.db"};
  const auto at = std::find(order.begin(), order.end(), pattern_of(relative)) - order.begin();
  return static_cast<int>(at) * 100 + static_cast<int>(std::count(relative.begin(), relative.end(), '/'));
}

class modern_outputs : public end_to_end {
 protected:
  // Synthetic look-alikes: what no tool chain writes but a tree may hold.
  std::vector<std::pair<std::string, std::string>> made_look_alikes() {
    return {{"text.obj", "int main;\n"},
            {"alpha_coff.obj", bytes({0x84, 0x01, 0x01, 0x00}) + std::string(16, '\0')},
            {"truncated_x64.obj", read_file(corpus() + "/clang_x64.obj").substr(0, 10)},
            {"import_member.obj", bytes({0x00, 0x00, 0xFF, 0xFF, 0x00, 0x00, 0x4C, 0x01}) + "payload"},
            {"text.gch", "#pragma once\n"},
            {"image.pcm", bytes({0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'}) + std::string(8, '\0')},
            {"executable.gcm", read_file(corpus() + "/elf_executable.o")},
            {"cut_wrapper.o", read_file(corpus() + "/clang_macho_lto.o").substr(0, 1024)},
            {"database.ifc", std::string("SQLite format 3\0", 16) + std::string(84, '\0')},
            {"text.gcda", "lines executed: 100.00% of 3\n"},
            {"image.profdata", bytes({0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'}) + std::string(8, '\0')},
            {"executable.dwo", read_file(corpus() + "/elf_executable.o")},
            {"notes.VC.db", "SQLite format 3\n"},
            // What else the IDE keeps beside its browse database: settings, a lock file.
            {".vs/app/v17/.suo", bytes({0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1}) + std::string(504, '\0')},
            {".vs/app/v17/Browse.VC.opendb", ""}};
  }

  // Copies the corpus into the tree, with the synthetic look-alikes; all names, sorted.
  std::vector<std::string> plant() {
    std::vector<std::string> names;
    for (const std::string& name : list_tree(corpus())) {
      if (name.back() != '/') put(tree + "/" + name, read_file(corpus() + "/" + name));
      names.push_back(name);
    }
    for (const auto& file : made_look_alikes()) {
      put(tree + "/" + file.first, file.second);
      names.push_back(file.first);
    }
    std::sort(names.begin(), names.end());
    return names;
  }

  std::uint64_t size_of(const std::vector<std::string>& names) {
    std::uint64_t total = 0;
    for (const auto& name : names) total += read_file(tree + "/" + name).size();
    return total;
  }

  // The messages of a run, checked byte for byte: one line for each file of
  // `removed` in pass order, then `closing`. Files of one folder and pattern
  // come in the order the folder lists them.
  std::vector<std::string> expect_messages(const run_result& result, const std::vector<std::string>& removed,
                                           const std::vector<std::string>& closing = {}) {
    const std::string start = as_written(header());
    const std::string end = as_written("\n\n");
    EXPECT_EQ(result.out.substr(0, start.size()), start);
    std::vector<std::string> messages;
    for (std::size_t at = start.size(), next; at < result.out.size(); at = next + end.size()) {
      next = std::min(result.out.find(end, at), result.out.size());
      messages.push_back(result.out.substr(at, next - at));
    }
    EXPECT_EQ(result.out, stdout_of(messages));
    if (messages.size() < closing.size()) {
      ADD_FAILURE() << result.out;
      return messages;
    }
    const auto removals_end = messages.end() - static_cast<std::ptrdiff_t>(closing.size());
    EXPECT_EQ(std::vector<std::string>(removals_end, messages.end()), closing);
    std::vector<std::string> removals(messages.begin(), removals_end);
    std::vector<int> ranks;
    for (std::string relative : removals) {
      relative.erase(0, shown(tree).size() + 1);
      std::replace(relative.begin(), relative.end(), separator(), '/');
      ranks.push_back(pass_rank(relative));
    }
    EXPECT_TRUE(std::is_sorted(ranks.begin(), ranks.end())) << result.out;
    std::vector<std::string> wanted;
    for (const auto& name : removed) wanted.push_back(shown(tree + "/" + name));
    std::sort(wanted.begin(), wanted.end());
    std::sort(removals.begin(), removals.end());
    EXPECT_EQ(removals, wanted);
    return messages;
  }
};

TEST_F(modern_outputs, corpus_lists_every_file_the_tool_chains_built) {
  EXPECT_EQ(list_tree(corpus()), joined({classic_corpus, modern_corpus, corpus_look_alikes, corpus_kept}));
}

TEST_F(modern_outputs, without_modern_only_what_the_classic_rules_know_goes) {
  std::vector<std::string> left = plant();
  const run_result result = run("-outputlog -f " + shown(tree));
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(run_log(result), log_lines(expect_messages(result, classic_corpus)));
  for (const auto& name : classic_corpus) left.erase(std::find(left.begin(), left.end(), name));
  EXPECT_EQ(list_tree(tree), left);
}

TEST_F(modern_outputs, with_modern_every_real_output_goes_and_look_alikes_stay) {
  plant();
  const run_result result = run("-modern -outputlog -f " + shown(tree));
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(run_log(result), log_lines(expect_messages(result, joined({classic_corpus, modern_corpus}))));
  std::vector<std::string> left = joined({corpus_look_alikes, corpus_kept});
  for (const auto& file : made_look_alikes()) {
    left.push_back(file.first);
    EXPECT_EQ(read_file(tree + "/" + file.first), file.second);
  }
  std::sort(left.begin(), left.end());
  EXPECT_EQ(list_tree(tree), left);
}

TEST_F(modern_outputs, a_folder_named_like_an_output_only_modern_knows_is_walked_and_its_files_judged) {
  // GCC looks into "all.h.gch/" for one header per set of options.
  const std::string header = read_file(corpus() + "/gcc_c_header.h.gch");
  put(tree + "/a.sbr", with_payload(sbr_start));
  put(tree + "/all.h.gch/O2.gch", header);
  put(tree + "/all.h.gch/g.gch", header);
  put(tree + "/z.pdb", with_payload(pdb_start));
  if (!target().wine) {
    ASSERT_EQ(symlink((tree + "/all.h.gch").c_str(), (tree + "/link.pcm").c_str()), 0);
  }
  const run_result result = run("-modern -outputlog -f " + shown(tree));
  EXPECT_EQ(result.status, 0);
  expect_messages(result, {"a.sbr", "z.pdb", "all.h.gch/O2.gch", "all.h.gch/g.gch"});
  std::vector<std::string> left = {"all.h.gch/"};
  if (!target().wine) left.push_back("link.pcm");
  EXPECT_EQ(list_tree(tree), left);
}

TEST_F(modern_outputs, dry_run_reports_every_output_and_the_total_and_removes_nothing) {
  const std::vector<std::string> planted = plant();
  const std::vector<std::string> outputs = joined({classic_corpus, modern_corpus});
  const run_result result = run("-modern -dryrun -outputlog -f " + shown(tree));
  EXPECT_EQ(result.status, 0);
  const std::string total = "dry run: " + std::to_string(outputs.size()) + " files, " +
                            std::to_string(size_of(outputs)) + " bytes would be removed from " + shown(tree);
  EXPECT_EQ(run_log(result), log_lines(expect_messages(result, outputs, {total})));
  EXPECT_EQ(list_tree(tree), planted);
}

TEST_F(modern_outputs, dry_run_summary_breaks_the_outputs_down_by_every_kind) {
  plant();
  const run_result result = run("-modern -dryrun -summary -f " + shown(tree));
  EXPECT_EQ(result.status, 0);
  std::map<std::string, int> wanted, listed;
  for (const auto& name : joined({classic_corpus, modern_corpus})) ++wanted[pattern_of(name)];
  // The message after the total: a line per kind, "PATTERN  N files  SIZE  BAR".
  const std::string total_end = as_written(" would be removed from " + shown(tree) + "\n\n");
  const std::size_t start = result.out.find(total_end) + total_end.size();
  std::istringstream breakdown(result.out.substr(start, result.out.find(as_written("\n\n"), start) - start));
  std::string pattern, files, rest;
  for (int count = 0; breakdown >> pattern >> count >> files && std::getline(breakdown, rest);) listed[pattern] = count;
  EXPECT_EQ(listed, wanted) << result.out;
}

TEST_F(modern_outputs, at_a_terminal_a_run_without_modern_tells_what_a_dry_run_with_it_would_add) {
  if (target().wine) GTEST_SKIP() << "a Windows program has no terminal";
  plant();
  std::uint64_t added[2] = {};  // files and bytes: a dry run with -modern, less one without
  for (const std::string modern : {"-modern", ""}) {
    const std::string out = run(modern + " -dryrun -f " + tree).out;
    std::smatch found;
    ASSERT_TRUE(std::regex_search(out, found, std::regex("dry run: ([0-9]+) files, ([0-9]+) bytes"))) << out;
    for (int k : {0, 1}) added[k] = modern.empty() ? added[k] - std::stoull(found.str(k + 1)) : std::stoull(found.str(k + 1));
  }
  EXPECT_EQ(added[0], modern_corpus.size());
  EXPECT_EQ(added[1], size_of(modern_corpus));
  const std::string hint_start = std::to_string(added[0]) + " files, " + std::to_string(added[1]) + " bytes (";
  const std::string hint_end = ") of today's tool chains were kept; -modern removes them too\r\n";
  // In a pipe: standard output as it always was, and nothing on standard error.
  run_request request;
  request.text = "-f " + tree;
  request.cwd = work;
  request.set_env = {{"TERM", "dumb"}};  // no progress line between the summary and the hint
  program_run piped(request);
  const run_result result = piped.finish();
  EXPECT_EQ(mask_times(result.out, result.started, result.finished), stdout_of({}));
  EXPECT_EQ(piped.errors_so_far(), "");
  request.terminal = request.output_to_terminal = true;
  program_run at_terminal(request);
  const std::string seen = at_terminal.process().read_terminal_until(hint_end, run_timeout_ms());
  EXPECT_EQ(at_terminal.finish().status, 0);
  const std::string summary = on_terminal(echoed("removed: 0 files, 0 bytes (0 B) from " + tree));
  ASSERT_NE(seen.find(summary), std::string::npos) << seen;
  EXPECT_EQ(seen.substr(seen.find(summary) + summary.size()).rfind(hint_start, 0), 0u) << seen;
  EXPECT_EQ(seen.substr(seen.size() - hint_end.size()), hint_end) << seen;
}

TEST_F(modern_outputs, a_trees_own_build_writes_again_all_that_was_removed_but_run_data) {
  // What a clean takes of each tree, and what of it only a run writes. add.bin keeps add.gcno and add.dwo.
  const struct { const char* kind; std::vector<std::string> removed, run_data; } rows[] = {
      {"libtool", {".libs/add.o", ".libs/sub.o", "add.lo", "add.o", "sub.lo", "sub.o"}, {}},
      {"coverage", {"add.gcda", "main.dwo", "main.gcda", "main.gcno", "main.o"}, {"add.gcda", "main.gcda"}},
      {"mingw", {"build/CMakeFiles/app.dir/app.rc.res", "build/CMakeFiles/app.dir/main.c.obj"}, {}}};
  for (const auto& row : rows) {
    const std::string own = tree + "/" + row.kind;
    std::string log;
    ASSERT_EQ(run_command({BRULO_E2E_OWN_BUILD_SCRIPT, row.kind, own, "build"}, 300000, &log), 0) << log;
    std::vector<std::string> removed, built = list_tree(own), left = built;
    for (const std::string& name : row.removed) {
      removed.push_back(row.kind + ("/" + name));
      left.erase(std::find(left.begin(), left.end(), name));
    }
    expect_messages(run("-modern -dryrun -f " + shown(own)), removed,
                    {"dry run: " + std::to_string(removed.size()) + " files, " + std::to_string(size_of(removed)) +
                     " bytes would be removed from " + shown(own)});
    expect_messages(run("-modern -outputlog -f " + shown(own)), removed);
    EXPECT_EQ(list_tree(own), left) << row.kind;
    EXPECT_EQ(run_command({BRULO_E2E_OWN_BUILD_SCRIPT, row.kind, own, "rebuild"}, 300000, &log), 0) << log;
    left = list_tree(own);
    for (const std::string& name : built) {
      if (std::count(row.run_data.begin(), row.run_data.end(), name) == 0) {
        EXPECT_TRUE(std::binary_search(left.begin(), left.end(), name)) << row.kind << "/" << name;
      }
    }
  }
}

}  // namespace
