#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <set>
#include <thread>
#include <boost/filesystem.hpp>
#include <vector>

#include "engine/recognition/build_output_recognition.h"
#include "engine/walk/file_searcher.h"
#include "engine/walk/open_directories.h"
#include "platform/text/last_error.h"
#include "platform/text/error_codes.h"
#include "platform/text/system_message.h"
#include "platform/files/path_syntax.h"
#include "test_support.h"

namespace {
using namespace test_support;
using string_list = std::vector<std::string>;

string_list search(file_searcher& searcher, const std::string& pattern, const std::string& root) {
  std::list<std::string> found;
  searcher.search(pattern.c_str(), root.c_str(), found);
  return string_list(found.begin(), found.end());
}

// The paths of the walked directories below the root, in walk order.
string_list subdirectories(file_searcher& searcher) {
  string_list paths;
  for (std::size_t i = 1; i < searcher.preorder.size(); ++i) paths.push_back(searcher.tree().path(searcher.preorder[i]));
  return paths;
}

// One pattern's matches as full paths.
string_list found_paths(file_searcher& searcher, std::size_t pattern) {
  string_list found;
  for (const auto& match : searcher.candidates[pattern])
    found.push_back(searcher.tree().path_of(match.directory, match.name));
  return found;
}

class file_searcher_test : public ::testing::Test {
 protected:
  void make_file(const std::string& relative) {
    const fs::path path = dir.path() / fs::path(relative);
    fs::create_directories(path.parent_path());
    write_file(path, "x");
  }
  std::string at(const std::string& relative) const { return (dir.path() / fs::path(relative)).make_preferred().string(); }

  temp_dir dir;
  file_searcher searcher;
};

TEST_F(file_searcher_test, root_matches_come_first_then_subdirectories_in_pre_order) {
  // One subdirectory per level, so the order does not depend on the platform's enumeration.
  make_file("a.obj");
  make_file("x/b.obj");
  make_file("x/y/c.obj");
  make_file("x/y/z/d.obj");
  make_file("x/y/notes.txt");
  EXPECT_EQ(search(searcher, "*.obj", dir.str()),
            (string_list{join(dir.str(), "a.obj"), join(at("x"), "b.obj"), join(at("x/y"), "c.obj"),
                         join(at("x/y/z"), "d.obj")}));
  EXPECT_EQ(subdirectories(searcher),
            (string_list{at("x"), at("x/y"), at("x/y/z")}));
}

TEST_F(file_searcher_test, sibling_subtrees_are_listed_whole_before_the_next_sibling) {
  make_file("p/q/r/1.o");
  make_file("p/q/2.o");
  make_file("s/t/3.o");
  make_file("s/4.o");
  const string_list found = search(searcher, "*.o", dir.str());
  const string_list dirs = subdirectories(searcher);
  ASSERT_EQ(dirs.size(), 5u);
  // Whichever sibling the platform gives first, its whole subtree follows it.
  const bool p_first = dirs[0] == at("p");
  const string_list expected_dirs =
      p_first ? string_list{at("p"), at("p/q"), at("p/q/r"), at("s"), at("s/t")}
              : string_list{at("s"), at("s/t"), at("p"), at("p/q"), at("p/q/r")};
  EXPECT_EQ(dirs, expected_dirs);
  const string_list p_matches{join(at("p/q"), "2.o"), join(at("p/q/r"), "1.o")};
  const string_list s_matches{join(at("s"), "4.o"), join(at("s/t"), "3.o")};
  string_list expected = p_first ? p_matches : s_matches;
  for (const auto& m : p_first ? s_matches : p_matches) expected.push_back(m);
  EXPECT_EQ(found, expected);
}

TEST_F(file_searcher_test, root_with_trailing_separator_doubles_it_for_root_matches_only) {
  make_file("a.pdb");
  make_file("sub/b.pdb");
  const std::string root = dir.str() + platform::path_separator;
  EXPECT_EQ(search(searcher, "*.pdb", root),
            (string_list{root + platform::path_separator + "a.pdb", join(at("sub"), "b.pdb")}));
  EXPECT_EQ(subdirectories(searcher), string_list{at("sub")});
}

TEST_F(file_searcher_test, matching_ignores_case_and_takes_directories_and_hidden_entries) {
  make_file("UPPER.OBJ");
  make_file(".hidden.obj");
  make_file("old.obj/inner.obj");
  make_file("a.ob");
  make_file("a.obj.txt");
  make_file("objfile");
  string_list found = search(searcher, "*.obj", dir.str());
  ASSERT_EQ(found.size(), 4u);
  string_list root_matches(found.begin(), found.end() - 1);
  std::sort(root_matches.begin(), root_matches.end());
  EXPECT_EQ(root_matches,
            (string_list{join(dir.str(), ".hidden.obj"), join(dir.str(), "UPPER.OBJ"), join(dir.str(), "old.obj")}));
  EXPECT_EQ(found.back(), join(at("old.obj"), "inner.obj"));
}

TEST_F(file_searcher_test, question_mark_stands_for_one_byte) {
  make_file("a.o");
  make_file("ab.o");
  make_file("abc.o");
  EXPECT_EQ(search(searcher, "a?.o", dir.str()), (string_list{join(dir.str(), "ab.o")}));
}

TEST_F(file_searcher_test, each_search_starts_empty) {
  make_file("a.obj");
  make_file("b.pch");
  search(searcher, "*.obj", dir.str());
  EXPECT_EQ(search(searcher, "*.pch", dir.str()), (string_list{join(dir.str(), "b.pch")}));
  EXPECT_TRUE(search(searcher, "*.ilk", dir.str()).empty());
}

TEST_F(file_searcher_test, missing_root_or_a_file_as_root_raises_with_nothing_found) {
  make_file("a.obj");
  for (const std::string& root : {at("missing"), at("a.obj"), std::string()}) {
    // Matches of an earlier walk must not outlive a failed one.
    ASSERT_EQ(search(searcher, "*.obj", dir.str()), (string_list{join(dir.str(), "a.obj")}));
    std::list<std::string> found;
    EXPECT_THROW(searcher.search("*.obj", root.c_str(), found), boost::filesystem::filesystem_error) << root;
    EXPECT_TRUE(found.empty()) << root;
    EXPECT_TRUE(searcher.candidates.front().empty()) << root;
  }
}

TEST_F(file_searcher_test, paths_longer_than_max_path_are_found_whole) {
  // A directory path and a file path past 260 characters, each at a different level.
  const std::string deep = std::string(150, 'n') + "/" + std::string(150, 'm');
  const std::string long_name = std::string(100, 'l') + ".obj";
  make_file(deep + "/a.obj");
  make_file(std::string(150, 'n') + "/" + long_name);
  const string_list expected = {join(at(std::string(150, 'n')), long_name), join(at(deep), "a.obj")};
  ASSERT_GT(expected[0].size(), 260u);
  EXPECT_EQ(search(searcher, "*.obj", dir.str()), expected);
}

TEST_F(file_searcher_test, a_directory_link_back_up_the_tree_is_not_walked_again) {
  make_file("a.obj");
  make_file("sub/b.obj");
  std::error_code failed;
  fs::create_directory_symlink(dir.path(), dir.path() / "sub" / "loop", failed);
  if (failed) GTEST_SKIP() << "no directory links here: " << failed.message();
  EXPECT_EQ(search(searcher, "*.obj", dir.str()), (string_list{join(dir.str(), "a.obj"), join(at("sub"), "b.obj")}));
  EXPECT_EQ(subdirectories(searcher), (string_list{at("sub")}));
}

TEST_F(file_searcher_test, a_link_to_a_directory_is_not_descended_but_a_linked_root_is) {
  temp_dir outside;
  write_file(outside / "far.obj", "x");
  std::error_code failed;
  fs::create_directory_symlink(outside.path(), dir.path() / "link.obj", failed);
  if (failed) GTEST_SKIP() << "no directory links here: " << failed.message();
  // The link is an entry whose name matches, and nothing more.
  EXPECT_EQ(search(searcher, "*.obj", dir.str()), (string_list{join(dir.str(), "link.obj")}));
  EXPECT_TRUE(subdirectories(searcher).empty());
  EXPECT_EQ(search(searcher, "*.obj", at("link.obj")), (string_list{join(at("link.obj"), "far.obj")}));
}
}  // namespace

namespace {
TEST_F(file_searcher_test, one_walk_keeps_each_name_under_the_one_pattern_it_matches) {
  make_file("a.SBR");
  make_file("x/b.Obj");
  make_file("x/c.o");
  make_file("x/c.opp");
  make_file("x/y/d.obj");
  make_file("e.objx");  // matched only by an 8.3 short name on Windows, once
  make_file("f.o.txt");
  searcher.walk(dir.str().c_str(), {"*.sbr", "*.obj", "*.opp", "*.o"});
  ASSERT_EQ(searcher.candidates.size(), 4u);
  auto paths = [this](std::size_t k) { return found_paths(searcher, k); };
  EXPECT_EQ(paths(0), (string_list{join(dir.str(), "a.SBR")}));
  EXPECT_EQ(paths(1), (string_list{join(at("x"), "b.Obj"), join(at("x/y"), "d.obj")}));
  EXPECT_EQ(paths(2), (string_list{join(at("x"), "c.opp")}));
  EXPECT_EQ(paths(3), (string_list{join(at("x"), "c.o")}));
}

TEST_F(file_searcher_test, a_directory_swapped_since_the_walk_is_never_opened_in_its_place) {
  // More folders with matches than the handles allow: most are opened again.
  const string_list folders{"a/b", "c", "d", "e/f", "g"};
  for (const std::string& folder : folders) make_file(folder + "/x.obj");
  counted_tree counted(dir.str(), 5);
  walked_tree& tree = counted.tree();
  const std::size_t& opens = counted.opens;
  tree.walk();
  const std::size_t walked = tree.directories().size();
  ASSERT_EQ(opens, walked);
  std::vector<platform::file_identity> identities;
  for (const auto& directory : tree.directories()) identities.push_back(directory.listing.identity);
  // Each folder moved aside and another put under its name, holding the same file.
  for (const std::string& folder : folders) {
    fs::rename(dir.path() / folder, dir.path() / (folder + ".old"));
    make_file(folder + "/x.obj");
  }
  for (std::uint32_t id = 1; id < walked; ++id) {
    SCOPED_TRACE(tree.path(id));
    const platform::tree_directory* opened = tree.open(id);
    platform::file_identity now;
    // Either the folder walked, through a handle held since, or nothing.
    if (opened == nullptr) {
      EXPECT_TRUE(is_gone_directory(platform::get_last_error()));
    } else {
      ASSERT_TRUE(opened->get_identity(now));
      EXPECT_TRUE(now == identities[id]);
    }
  }
  EXPECT_GT(opens, walked) << "nothing was opened again";
}
}  // namespace

namespace {
// Entries of a folder in the order the platform lists them.
string_list listed(const fs::path& folder) {
  string_list names;
  for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
  return names;
}

TEST_F(file_searcher_test, a_subdirectory_gone_between_its_listing_and_its_opening_is_passed_over) {
  // Removed, or put back as a file or a link: gone either way, and the rest is walked.
  const std::vector<std::function<void(const fs::path&)>> ways_to_go = {
      [](const fs::path& folder) { fs::remove_all(folder); },
      [](const fs::path& folder) {
        fs::remove_all(folder);
        write_file(folder, "now a file");
      },
      [this](const fs::path& folder) {
        fs::remove_all(folder);
        std::error_code ignored;
        fs::create_directory_symlink(dir.path() / "keep", folder, ignored);
      },
  };
  for (std::size_t way = 0; way < ways_to_go.size(); ++way) {
    SCOPED_TRACE(way);
    file_searcher searcher;  // one per way: on Windows a folder the last walk holds open cannot go
    fs::remove_all(dir.path() / "t");
    make_file("t/a.obj");
    make_file("t/gone/b.obj");
    make_file("t/gone/deeper/c.obj");
    make_file("t/keep/d.obj");
    searcher.walk(at("t").c_str(), {"*.obj"}, {},
                  [&](platform::tree_directory& into, const platform::tree_directory* parent, const std::string& name) {
                    if (name == "gone") ways_to_go[way](dir.path() / "t" / "gone");
                    return open_directory(into, parent, name);
                  });
    EXPECT_EQ(found_paths(searcher, 0), (string_list{join(at("t"), "a.obj"), join(at("t/keep"), "d.obj")}));
  }
}

TEST_F(file_searcher_test, folders_that_fail_are_reported_in_pre_order_however_the_listings_interleave) {
  // Two folders that cannot be opened, in two branches.
  make_file("one/two/three/four/x.obj");
  make_file("other/five/y.obj");
  make_file("a.obj");
  const string_list top = listed(dir.path());
  const bool one_first = std::find(top.begin(), top.end(), "one") < std::find(top.begin(), top.end(), "other");
  std::string io_error;
  ASSERT_TRUE(platform::system_message_text(error_code::io_device, io_error));
  const auto report = [&](const std::string& path) { return "ERROR Message:" + io_error + "\n" + path + "\n\n"; };
  const std::string four = report(at("one/two/three/four")), five = report(at("other/five"));
  const scoped_environment threads("BRULO_THREADS", "8");
  for (int round = 0; round < 20; ++round) {
    SCOPED_TRACE(round);
    // Some openings wait a little, so that the listings finish in other orders.
    const directory_opener failing = [round](platform::tree_directory& into, const platform::tree_directory* parent,
                                             const std::string& name) {
      if ((name.size() + static_cast<std::size_t>(round)) % 3 == 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
      if (name != "four" && name != "five") return open_directory(into, parent, name);
      platform::set_last_error(error_code::io_device);
      return false;
    };
    stdout_capture capture;
    searcher.walk(dir.str().c_str(), {"*.obj"}, {}, failing);
    EXPECT_EQ(capture.text(), one_first ? four + five : five + four);
    EXPECT_EQ(found_paths(searcher, 0), string_list{join(dir.str(), "a.obj")});
  }
}

TEST_F(file_searcher_test, a_subdirectory_that_denies_access_is_reported_and_the_rest_is_walked) {
  make_file("a.obj");
  make_file("closed/b.obj");
  make_file("closed/deeper/c.obj");
  make_file("open/d.obj");
  const directory_opener denying = [](platform::tree_directory& into, const platform::tree_directory* parent,
                                      const std::string& name) {
    if (name != "closed") return open_directory(into, parent, name);
    platform::set_last_error(5);
    return false;
  };
  std::string access_denied;
  ASSERT_TRUE(platform::system_message_text(5, access_denied));
  stdout_capture capture;
  searcher.walk(dir.str().c_str(), {"*.obj"}, {}, denying);
  EXPECT_EQ(capture.text(), "ERROR Message:" + access_denied + "\n" + at("closed") + "\n\n");
  EXPECT_EQ(found_paths(searcher, 0), (string_list{join(dir.str(), "a.obj"), join(at("open"), "d.obj")}));
  // The root alone still ends the walk when it denies access.
  const directory_opener root_denied = [](platform::tree_directory&, const platform::tree_directory*,
                                          const std::string&) {
    platform::set_last_error(5);
    return false;
  };
  EXPECT_THROW(searcher.walk(dir.str().c_str(), {"*.obj"}, {}, root_denied), boost::filesystem::filesystem_error);
}

TEST_F(file_searcher_test, what_a_listing_throws_on_a_worker_is_raised_by_the_walk) {
  make_file("a/b/x.obj");
  make_file("c/y.obj");
  const scoped_environment threads("BRULO_THREADS", "8");
  const directory_opener throwing = [](platform::tree_directory& into, const platform::tree_directory* parent,
                                       const std::string& name) {
    if (name == "b") throw std::bad_alloc();
    return open_directory(into, parent, name);
  };
  EXPECT_THROW(searcher.walk(dir.str().c_str(), {"*.obj"}, {}, throwing), std::bad_alloc);
}

TEST_F(file_searcher_test, skipped_and_marked_directories_are_not_entered_and_skipped_ones_never_opened) {
  make_file("a.obj");
  make_file("Vendor_lib/b.obj");
  make_file("third_party/c.obj");
  make_file("src/d.obj");
  make_file("src/kept/.brulokeep");
  make_file("src/kept/e.obj");
  make_file("src/kept/below/f.obj");
  make_file("g.obj/h.obj");  // a directory named like an output is still a candidate
  std::set<std::string> opened;
  searcher.walk(dir.str().c_str(), {"*.obj"}, {"vendor*", "THIRD_PARTY", "g.obj"},
                [&opened](platform::tree_directory& into, const platform::tree_directory* parent,
                          const std::string& name) {
                  opened.insert(name);
                  return open_directory(into, parent, name);
                });
  string_list found = found_paths(searcher, 0);
  std::sort(found.begin(), found.end());
  EXPECT_EQ(found, (string_list{join(dir.str(), "a.obj"), join(dir.str(), "g.obj"), join(at("src"), "d.obj")}));
  EXPECT_EQ(opened, (std::set<std::string>{dir.str(), "src", "kept"}));
  ASSERT_EQ(searcher.kept_directories.size(), 1u);
  EXPECT_EQ(searcher.tree().path(searcher.kept_directories[0]), at("src/kept"));
  // At the root it keeps the whole tree.
  make_file(".BRULOKEEP");
  searcher.walk(dir.str().c_str(), {"*.obj"});
  EXPECT_TRUE(searcher.candidates[0].empty());
  EXPECT_EQ(searcher.kept_directories, std::vector<std::uint32_t>{0});
}

// A folder's place is asked of its parent as it is now: another folder or a
// file under its name is not it, and tells so as a folder gone.
TEST_F(file_searcher_test, a_name_names_the_folder_walked_only_while_it_stands_there) {
  fs::create_directories(dir.path() / "sub");
  platform::tree_directory root, sub;
  platform::file_identity walked;
  ASSERT_TRUE(root.open_root(dir.str()));
  ASSERT_TRUE(sub.open_subdirectory(root, "sub"));
  ASSERT_TRUE(sub.get_identity(walked));
  EXPECT_TRUE(root.names_directory("sub", walked));
  sub.close();
  fs::rename(dir.path() / "sub", dir.path() / "moved");
  fs::create_directories(dir.path() / "sub");
  write_file(dir.path() / "file", "x");
  for (const char* name : {"sub", "file", "missing"}) {
    EXPECT_FALSE(root.names_directory(name, walked)) << name;
    EXPECT_TRUE(is_gone_directory(platform::get_last_error())) << name << " " << platform::get_last_error();
  }
  EXPECT_TRUE(root.names_directory("moved", walked));
}
}  // namespace
