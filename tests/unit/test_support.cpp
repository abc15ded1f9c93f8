#include "test_support.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <list>
#include <optional>

#include "platform/files/file_stream.h"
#include "platform/files/path_syntax.h"

namespace test_support {
temp_dir::temp_dir() {
  static unsigned counter = 0;
  const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
  path_ = fs::temp_directory_path() / ("brulo_test_" + std::to_string(stamp) + "_" + std::to_string(++counter));
  fs::create_directories(path_);
}

temp_dir::~temp_dir() {
  std::error_code ignored;
  // Read-only files left by a test must not keep the folder alive.
  for (auto it = fs::recursive_directory_iterator(path_, ignored); !ignored && it != fs::recursive_directory_iterator();
       it.increment(ignored)) {
    fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ignored);
  }
  fs::remove_all(path_, ignored);
}

namespace {
// putenv keeps the text it is given: every setting lives to the end of the run.
void put_environment(const std::string& name, const std::string& value) {
  static std::list<std::string> settings;
  settings.push_back(name + "=" + value);
  putenv(settings.back().data());
}
}  // namespace

scoped_environment::scoped_environment(const char* name, const char* value) : name_(name) {
  const char* saved = std::getenv(name);
  if (saved != nullptr) saved_ = saved;
  put_environment(name_, value);
}

// An empty value is read as none.
scoped_environment::~scoped_environment() { put_environment(name_, saved_); }

void write_file(const fs::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string read_file(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string on_disk(const std::string& text) {
  std::string stored;
  for (char c : text) {
    if (c == '\n')
      stored += platform::text_line_end;
    else
      stored.push_back(c);
  }
  return stored;
}

std::string join(const std::string& dir, const std::string& name) { return dir + platform::path_separator + name; }

fs::path native(const std::string& unix_path) {
  if (platform::path_separator == '/') return fs::path(unix_path);
  std::string path = "Z:" + unix_path;
  for (char& c : path)
    if (c == '/') c = '\\';
  return fs::path(path);
}

namespace {
// A data folder holding this file was made for tests; scripts/test marks the
// one it hands to the Windows build under Wine.
const char* const scratch_marker = "brulo-scratch-data";

// On Linux the unit tests make their own data folder, named before any test
// runs; the trash reads XDG_DATA_HOME at each move. Wine's shell reads the variable of the Linux process that started it, so there
// the folder comes from outside.
class scratch_data_environment : public ::testing::Environment {
 public:
  void SetUp() override {
    if (platform::path_separator != '/') return;
    if (const char* previous = std::getenv("XDG_DATA_HOME")) previous_ = std::string("XDG_DATA_HOME=") + previous;
    folder_.emplace();
    write_file(folder_->path() / scratch_marker, "");
    setting_ = "XDG_DATA_HOME=" + folder_->str();
    putenv(setting_.data());
  }
  void TearDown() override {
    if (!folder_) return;
    // A name without a value removes the variable.
    putenv(previous_.data());
    folder_.reset();
  }

 private:
  std::optional<temp_dir> folder_;
  std::string setting_;
  std::string previous_ = "XDG_DATA_HOME";
};

const ::testing::Environment* const registered = ::testing::AddGlobalTestEnvironment(new scratch_data_environment);
}  // namespace

fs::path scratch_data_home() {
  const char* data_home = std::getenv("XDG_DATA_HOME");
  if (data_home == nullptr || *data_home == '\0') return fs::path();
  const fs::path folder = native(data_home);
  return fs::exists(folder / scratch_marker) ? folder : fs::path();
}
counted_tree::counted_tree(const std::string& root, std::size_t spare)
    : rules_({"*.obj"}, {}),
      tree_(root, rules_, 1, false,
            [this](platform::tree_directory& into, const platform::tree_directory* parent, const std::string& name) {
              ++opens;
              return open_directory(into, parent, name);
            },
            spare) {}
}  // namespace test_support
