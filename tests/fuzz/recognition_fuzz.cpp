// Every recognition rule over arbitrary file contents and sizes, through a
// real file, and the rule choice over arbitrary pattern bytes.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>

#include "settings/run_settings.h"
#include "engine/recognition/build_output_recognition.h"
#include "engine/removal/clean_pass.h"

namespace {
const std::string& scratch_file() {
  static const std::string path = [] {
    const char* dir = std::getenv("TMPDIR");
    std::string pattern = std::string(dir != nullptr && *dir != '\0' ? dir : "/tmp") + "/brulo-fuzz.XXXXXX";
    const int fd = mkstemp(&pattern[0]);
    if (fd < 0) std::abort();
    close(fd);
    return pattern;
  }();
  return path;
}

void write_contents(const std::uint8_t* data, std::size_t size) {
  std::FILE* file = std::fopen(scratch_file().c_str(), "wb");
  if (file == nullptr) std::abort();
  if (size != 0 && std::fwrite(data, 1, size, file) != size) std::abort();
  std::fclose(file);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  write_contents(data, size);
  const char* path = scratch_file().c_str();
  run_settings& settings = process_run_settings();
  for (bool modern : {false, true}) {
    settings.modern_outputs = modern;  // with the patterns only "modern" searches
    for (bool zero_size : {false, true}) {
      settings.delete_zero_size = zero_size;
      for (const std::string& pattern : target_patterns()) {
        // A readable regular file is either a build output or not.
        if (judge_build_output(path, pattern.c_str()) == recognition_verdict::unreadable) __builtin_trap();
      }
    }
  }
  // The leading bytes as a pattern: a rule, or the refusal.
  const std::size_t pattern_length = size == 0 ? 0 : data[0] % 40;
  if (pattern_length < size) {
    const std::string pattern(reinterpret_cast<const char*>(data) + 1, pattern_length);
    try {
      judge_build_output(path, pattern.c_str());
    } catch (const std::logic_error&) {
    }
  }
  return 0;
}
