// Every file-system call of a small clean failed once, each in a run of its
// own: only a root that cannot be walked may end the run; every output, the
// one failed too, is cleaned or reported, and nothing is lost or touched outside.
#include <limits.h>
#include <stdlib.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "expected_texts.h"
#include "harness.h"

using namespace harness;
using namespace expected;

namespace {

struct counted_call {
  std::string name, error, path;
};

// The calls a run made, in order, as the preloaded library traced them.
std::vector<counted_call> traced_calls(const std::string& trace) {
  std::vector<counted_call> calls;
  std::istringstream lines(trace);
  for (std::string number, name, error, path; lines >> number >> name >> error && std::getline(lines, path);)
    calls.push_back({name, error, path.substr(1)});
  return calls;
}

TEST(fault_sweep, each_call_failed_once_refuses_its_entry_and_ends_only_a_run_over_a_root_that_cannot_be_walked) {
  if (target().wine) GTEST_SKIP() << "a preloaded library reaches only the Linux program";
  // Paths as the program's descriptors name them: no link on the way.
  const auto resolved = [](const std::string& path) {
    char real[PATH_MAX];
    return realpath(path.c_str(), real) != nullptr ? std::string(real) : path;
  };
  temp_dir base;
  const std::string root = resolved(base.path()), tree = root + "/tree", work = base / "work", home = base / "home";
  const std::string data_home = home + "/.local/share", trash = data_home + "/Trash";
  std::string look_alike = obj_start;
  look_alike[0] = static_cast<char>(look_alike[0] ^ 0x20);
  const std::map<std::string, std::string> outputs = {{"a.obj", obj_start + " a"},
                                                      {"b.pdb", pdb_start + " b"},
                                                      {"sub/c.ilk", ilk_start + " c"},
                                                      {"sub/d.o", mingw_start + " d"},
                                                      {"sub/e.pch", pch_start + " e"},
                                                      {"sub/link.obj", "-> ../../outside/x.obj"}};
  make_dirs(work);
  make_dirs(data_home);
  make_dirs(base / "outside");
  write_file(base / "outside/x.obj", obj_start + " outside");
  // Everything but the tree, the trash and the logs, with each file's bytes.
  const auto outside = [&] {
    std::string seen;
    for (const std::string& entry : list_tree(base.path()))
      if (entry.rfind("tree/", 0) != 0 && entry.rfind("work/", 0) != 0 && entry.rfind("home/.local/share/Trash", 0) != 0)
        seen += entry + (entry.back() == '/' ? "\n" : ": " + read_file(base / entry) + "\n");
    return seen;
  };
  const std::string outside_before = outside();
  // What a file holds, or where a link leads.
  const auto held = [](const std::string& path) {
    char target[256];
    const ssize_t length = readlink(path.c_str(), target, sizeof target);
    return length >= 0 ? "-> " + std::string(target, length) : read_file(path);
  };
  int runs = 0;
  std::map<std::string, std::vector<std::string>> found{{"fatal", {}}, {"lost", {}}, {"outside", {}}, {"unreported", {}}};
  for (const bool to_trash : {false, true}) {
    std::size_t calls = 0;
    // Run 0 counts the calls; run K fails the K-th.
    for (std::size_t k = 0; k == 0 || k <= calls; ++k) {
      remove_tree(tree);
      remove_tree(trash);
      make_dirs(tree + "/sub");
      // A link goes as itself, judged by the file it leads to outside the tree.
      for (const auto& output : outputs)
        if (output.second.rfind("-> ", 0) == 0)
          ASSERT_EQ(symlink(output.second.substr(3).c_str(), (tree + "/" + output.first).c_str()), 0);
        else
          write_file(tree + "/" + output.first, output.second);
      write_file(tree + "/keep.obj", look_alike + " kept");
      run_request request;
      request.arguments = {"-outputlog", "-f", tree};
      if (to_trash) request.arguments.insert(request.arguments.begin(), "-gototrashbox");
      request.cwd = work;
      request.set_env = {{"BRULO_THREADS", "1"},       {"HOME", home},
                         {"XDG_DATA_HOME", data_home}, {"LD_PRELOAD", BRULO_E2E_FAULT_LIBRARY},
                         {"BRULO_FAULT_AT", std::to_string(k)}, {"BRULO_FAULT_TRACE", work + "/trace"},
                         {"BRULO_FAULT_COUNT", work + "/count"}};
      const run_result result = run_program(request);
      const std::vector<counted_call> made = traced_calls(read_file(work + "/trace"));
      if (k == 0) {
        calls = made.size();
        ASSERT_EQ(result.status, 0) << result.out;
        ASSERT_EQ(read_file(work + "/count"), std::to_string(calls) + "\n");
        continue;
      }
      ++runs;
      // The K-th call of this very run failed: a folder's place, once confirmed, is
      // asked again only after a while, so a slow run may make more calls.
      const counted_call failed = made.size() >= k ? made[k - 1] : counted_call{"nothing", "", ""};
      const std::string what = (to_trash ? "trash #" : "delete #") + std::to_string(k) + " " + failed.name + " " +
                               failed.path.substr(failed.path.rfind(root, 0) == 0 ? root.size() + 1 : 0) + " " +
                               failed.error;
      bool first_open = true;
      for (std::size_t i = 0; i + 1 < k && i < made.size(); ++i) first_open &= made[i].path != tree;
      const bool on_root = failed.path == tree && (first_open || failed.name.find("open") == std::string::npos);
      if (result.status != 0 && !on_root) found["fatal"].push_back(what + ", status " + std::to_string(result.status));
      if (outside() != outside_before) found["outside"].push_back(what);
      // Each message stands between empty lines; a refusal is its error line, then the path.
      std::vector<std::string> messages{""};
      for (std::size_t at = 0, end; (end = result.out.find("\n\n", at)) != std::string::npos; at = end + 2)
        messages.push_back(result.out.substr(at, end - at));
      const auto reported = [&](std::string path) {
        for (; path.size() > tree.size(); path.erase(path.rfind('/')))
          for (std::size_t i = 1; i < messages.size(); ++i)
            if (messages[i] == path && messages[i - 1].rfind("ERROR Message:", 0) == 0) return true;
        return false;
      };
      if (read_file(tree + "/keep.obj") != look_alike + " kept") found["lost"].push_back(what + ": keep.obj");
      for (const auto& output : outputs) {
        const std::string path = tree + "/" + output.first, name = path.substr(path.rfind('/') + 1);
        const std::string trashed = trash + "/files/" + name, info = trash + "/info/" + name + ".trashinfo";
        if (exists(path)) {
          // The file whose call failed too: a refusal names it.
          if (result.status == 0 && !reported(path)) found["unreported"].push_back(what + ": " + output.first);
        } else if (to_trash && (!exists(trashed) || held(trashed) != output.second || !exists(info) ||
                                read_file(info).find("\nPath=" + path + "\n") == std::string::npos)) {
          found["lost"].push_back(what + ": " + output.first);
        }
      }
    }
  }
  std::cout << "fault sweep: " << runs << " runs";
  for (const auto& figure : found) std::cout << ", " << figure.second.size() << " " << figure.first;
  std::cout << "\n";
  for (const auto& figure : found) {
    std::string listed;
    for (const std::string& item : figure.second) listed += "\n  " + item;
    EXPECT_EQ(figure.second.size(), 0u) << figure.first << ":" << listed;
  }
}

}  // namespace
