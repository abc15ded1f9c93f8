#include <gtest/gtest.h>

#include <cstdint>
#include <utility>

#include "diag/size_text.h"

namespace {
TEST(size_text, whole_bytes_below_1024_then_one_decimal_rounded_down_in_the_largest_unit) {
  const std::pair<std::uint64_t, const char*> cases[] = {
      {0, "0 B"},
      {26, "26 B"},
      {1023, "1023 B"},
      {1024, "1.0 KiB"},
      {1536, "1.5 KiB"},
      {1126, "1.0 KiB"},  // 1.0996: down, not to 1.1
      {1048575, "1023.9 KiB"},
      {1048576, "1.0 MiB"},
      {1572864, "1.5 MiB"},
      {(std::uint64_t{1} << 30) - 1, "1023.9 MiB"},
      {std::uint64_t{5} << 40, "5.0 TiB"},
      {(std::uint64_t{1} << 60) - 1, "1023.9 PiB"},
      {std::uint64_t{1} << 60, "1.0 EiB"},
      {UINT64_MAX, "15.9 EiB"},
  };
  for (const auto& [bytes, text] : cases) EXPECT_EQ(size_text(bytes), text) << bytes;
}
}  // namespace
