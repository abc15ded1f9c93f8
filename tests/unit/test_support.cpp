#include "test_support.h"

#include <chrono>
#include <fstream>
#include <iterator>

#include "platform/file_stream.h"
#include "platform/path_syntax.h"

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
}  // namespace test_support
