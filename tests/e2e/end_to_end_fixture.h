// The fixture of the end-to-end suites: a fresh working directory and tree
// for each case, the program run as a process there, and what it left.
#pragma once

#include <dirent.h>
#include <fcntl.h>
#include <locale.h>
#include <pwd.h>
#include <sched.h>
#include <sys/inotify.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <map>
#include <memory>
#include <regex>
#include <set>
#include <sstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "expected_texts.h"
#include "generated_tree.h"
#include "harness.h"

namespace e2e {

using namespace harness;
using namespace expected;

class end_to_end : public ::testing::Test {
 protected:
  temp_dir base;
  const std::string work = base / "work";  // the program's working directory
  const std::string tree = base / "tree";  // what it is told to clean

  void SetUp() override {
    make_dirs(work);
    make_dirs(tree);
  }

  // An empty desktop trash of the test's own; its data folder is returned, for XDG_DATA_HOME.
  std::string fresh_trash() {
    const std::string data_home = base / "xdg";
    remove_tree(data_home + "/Trash");
    make_dirs(data_home + "/Trash/files");
    make_dirs(data_home + "/Trash/info");
    return data_home;
  }

  // What trash-cli, a client independent of brulo, lists of this test's own
  // files: each original path below its folder, dates left off, sorted. It
  // lists every trash it knows, those of the machine's other mounts as well.
  std::vector<std::string> trash_listed(const std::string& data_home) const {
    std::string listed;
    EXPECT_EQ(run_command({"trash-list"}, run_timeout_ms(), &listed, {{"XDG_DATA_HOME", data_home}}), 0);
    const std::string own = base / "";
    std::vector<std::string> paths;
    std::istringstream lines(listed);
    for (std::string line; std::getline(lines, line);) {
      const std::string path = line.substr(line.find(' ', 11) + 1);
      if (path.compare(0, own.size(), own) == 0) paths.push_back(path);
    }
    std::sort(paths.begin(), paths.end());
    return paths;
  }

  run_result run(const std::string& text, stdout_mode out = stdout_mode::capture,
                 std::vector<std::pair<std::string, std::string>> env = {}) {
    run_request request;
    request.text = text;
    request.out = out;
    request.set_env = std::move(env);
    return run_in_work(request);
  }

  // Native only: the program started with these separate arguments.
  run_result run_arguments(const std::vector<std::string>& arguments) {
    run_request request;
    request.arguments = arguments;
    return run_in_work(request);
  }

  run_result run_in_work(run_request& request) {
    request.cwd = work;
    run_result result = run_program(request);
    result.out = mask_times(result.out, result.started, result.finished);
    return result;
  }

  // A log in the working directory, time stamps masked with the run's times.
  std::string log_of(const std::string& name, const run_result& result) {
    return mask_times(read_file(work + "/" + name), result.started, result.finished);
  }
  std::string run_log(const run_result& result) { return log_of("brulo_log.log", result); }
  std::string exception_log_of(const run_result& result) { return log_of("brulo_exception.log", result); }

  // The run log lines of the header and of `messages`, as written on disk.
  static std::string log_lines(const std::vector<std::string>& messages) {
    std::string text = "//" + std::string(58, '*') + "\nTime <now>\n";
    for (const auto& message : messages) text += message + "\n";
    return as_written(text);
  }

  // Standard output: the header, then each message.
  static std::string stdout_of(const std::vector<std::string>& messages) {
    std::string text = header();
    for (const auto& message : messages) text += echoed(message);
    return as_written(text);
  }

  // A tmpfs at each of `points`, in a mount namespace of this test process's
  // own, never seen outside it; unmounted when it goes. `failure` tells why
  // where none can be made.
  struct private_tmpfs {
    std::vector<std::string> points;
    std::string failure;
    private_tmpfs(const std::vector<std::string>& at, const char* options) {
      if (unshare(CLONE_NEWNS) != 0 || mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
        failure = std::string("no mount namespace of its own here: ") + strerror(errno);
        return;
      }
      for (const std::string& point : at) {
        make_dirs(point);
        if (mount("tmpfs", point.c_str(), "tmpfs", 0, options) != 0) {
          failure = std::string("cannot mount a tmpfs: ") + strerror(errno);
          return;
        }
        points.push_back(point);
      }
    }
    ~private_tmpfs() {
      for (const auto& point : points) umount2(point.c_str(), MNT_DETACH);
    }
  };

  // 300 objects in tree/sub, each beside `other` (a folder or a browse file in
  // the root); `change` runs once `watched` is opened, during a run in either
  // mode; `check` then looks at the run, the names and the paths judged.
  void while_a_folder_changes(const std::function<std::string(const std::string&)>& other,
                              const std::string& other_start, const std::function<std::string()>& watched,
                              const std::function<void()>& change,
                              const std::function<void(const std::string&, const run_result&,
                                                       const std::vector<std::string>&,
                                                       const std::vector<std::string>&)>& check) {
    const std::string data_home = fresh_trash();
    for (const std::string how : {"", "-gototrashbox "}) {
      SCOPED_TRACE(how);
      if (target().wine && !how.empty()) continue;  // the recycle bin takes paths: see the README
      for (const std::string& folder : {tree, base / "elsewhere"}) remove_tree(folder);
      std::vector<std::string> names, judged;
      for (int i = 0; i < 300; ++i) {
        names.push_back("f" + std::to_string(1000 + i) + ".obj");
        put(tree + "/sub/" + names.back(), with_payload(obj_start));
        put(other(names.back()), with_payload(other_start));
        judged.push_back(tree + "/sub/" + names.back());
      }
      run_result result;
      {
        open_watch watch(watched(), change);
        result = run(how + "-f " + shown(tree), stdout_mode::capture, {{"XDG_DATA_HOME", data_home}});
        EXPECT_TRUE(watch.fired());
      }
      EXPECT_EQ(result.status, 0) << result.out;
      check(how, result, names, judged);
    }
  }

  static std::string with_payload(const std::string& start) { return start + "payload"; }
  void put(const std::string& path, const std::string& content) {
    const auto slash = path.rfind('/');
    make_dirs(path.substr(0, slash));
    write_file(path, content);
  }
};

// What a terminal shows for `text` written to it: each "\n" as "\r\n".
inline std::string on_terminal(const std::string& text) {
  std::string shown_text;
  for (char c : text) {
    if (c == '\n') shown_text.push_back('\r');
    shown_text.push_back(c);
  }
  return shown_text;
}

// Four runs started at once on one tree, all in the same working directory.
inline void clean_four_at_once(const std::string& work, const std::string& tree, const std::string& options,
                               const std::vector<std::pair<std::string, std::string>>& env) {
  std::vector<std::unique_ptr<program_run>> runs;
  for (int i = 0; i < 4; ++i) {
    run_request request;
    request.text = options + "-f " + shown(tree);
    request.cwd = work;
    request.set_env = env;
    runs.push_back(std::make_unique<program_run>(request));
  }
  for (auto& run : runs) {
    const run_result result = run->finish();
    EXPECT_EQ(result.status, 0) << result.out;
  }
  EXPECT_FALSE(exists(work + "/brulo_exception.log"));
}

inline std::string upper(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), ::toupper);
  return text;
}

// A folder's entries in the order the program's platform lists them: as the
// system does natively; Wine sorts them by name, as NTFS keeps them.
inline std::vector<std::string> listing_order(const std::string& dir) {
  std::vector<std::string> names;
  DIR* listing = opendir(dir.c_str());
  if (listing == nullptr) return names;
  while (dirent* entry = readdir(listing))
    if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0) names.push_back(entry->d_name);
  closedir(listing);
  if (target().wine)
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) { return upper(a) < upper(b); });
  return names;
}

inline bool is_folder_not_link(const std::string& path) {
  struct stat info {};
  return lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// The folders of a tree in depth-first pre-order, root first; links are not folders to enter.
inline void folders_in_pre_order(const std::string& dir, std::vector<std::string>& out) {
  out.push_back(dir);
  for (const auto& name : listing_order(dir))
    if (is_folder_not_link(dir + "/" + name)) folders_in_pre_order(dir + "/" + name, out);
}

}  // namespace e2e
