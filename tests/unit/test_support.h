#pragma once
#include <filesystem>
#include <iostream>
#include <sstream>
#include <string>

#include "engine/walk/walked_tree.h"
#include "settings/run_settings.h"

namespace test_support {
namespace fs = std::filesystem;

// A fresh directory under the system's temporary folder, removed with its contents.
class temp_dir {
 public:
  temp_dir();
  ~temp_dir();
  const fs::path& path() const { return path_; }
  std::string str() const { return path_.string(); }
  fs::path operator/(const std::string& name) const { return path_ / name; }

 private:
  fs::path path_;
};

// Runs the test inside `dir`, where the logs are written, and goes back afterwards.
class working_directory {
 public:
  explicit working_directory(const fs::path& dir) : saved_(fs::current_path()) { fs::current_path(dir); }
  ~working_directory() { fs::current_path(saved_); }

 private:
  fs::path saved_;
};

// Collects what is written to std::cout while it lives.
class stdout_capture {
 public:
  stdout_capture() : saved_(std::cout.rdbuf(captured_.rdbuf())) {}
  ~stdout_capture() { std::cout.rdbuf(saved_); }
  std::string text() const { return captured_.str(); }

 private:
  std::ostringstream captured_;
  std::streambuf* saved_;
};

// Puts the process-wide settings back to their defaults when the test ends.
class settings_reset {
 public:
  settings_reset() { process_run_settings() = run_settings(); }
  ~settings_reset() { process_run_settings() = run_settings(); }
  run_settings& settings() { return process_run_settings(); }
};

// Sets an environment variable, one the program reads when it runs, while it
// lives; afterwards it holds its old value, or an empty one.
class scoped_environment {
 public:
  scoped_environment(const char* name, const char* value);
  ~scoped_environment();

 private:
  std::string name_;
  std::string saved_;
};

// A tree of `root` to walk for "*.obj" on one thread, as if `spare`
// descriptors were free, counting every directory it opens.
class counted_tree {
 public:
  counted_tree(const std::string& root, std::size_t spare);
  std::size_t opens = 0;
  walked_tree& tree() { return tree_; }

 private:
  name_rules rules_;
  walked_tree tree_;
};

void write_file(const fs::path& path, const std::string& bytes);
std::string read_file(const fs::path& path);

// A text as the logs store it: every line feed in the platform's on-disk form.
std::string on_disk(const std::string& text);

// Joins a directory and a name with the separator the program writes.
std::string join(const std::string& dir, const std::string& name);

// A Linux path as the Windows build sees it under Wine.
fs::path native(const std::string& unix_path);

// The desktop data folder (XDG_DATA_HOME, where the recycle bin lives) set aside
// for these tests, as the program sees it; empty when the folder the process
// was given is not marked as a scratch folder, so that no test reaches the
// user's own trash.
fs::path scratch_data_home();
}  // namespace test_support
