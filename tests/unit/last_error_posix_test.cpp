#include <gtest/gtest.h>

#include <cerrno>

#include "platform/text/error_codes.h"
#include "platform/text/last_error.h"
#include "platform/text/last_error_posix.h"
#include "platform/text/system_message.h"

namespace {
TEST(errno_mapping, tells_the_tolerated_failures_apart_from_all_others) {
  EXPECT_EQ(platform::error_code_from_errno(EACCES), 5u);
  EXPECT_EQ(platform::error_code_from_errno(EPERM), 5u);
  EXPECT_EQ(platform::error_code_from_errno(EISDIR), 5u);
  EXPECT_EQ(platform::error_code_from_errno(EBADF), 6u);
  EXPECT_EQ(platform::error_code_from_errno(ETXTBSY), 32u);
  EXPECT_EQ(platform::error_code_from_errno(ENOENT), 2u);
  EXPECT_EQ(platform::error_code_from_errno(ENOTDIR), 3u);
  EXPECT_EQ(platform::error_code_from_errno(EROFS), 19u);
  EXPECT_EQ(platform::error_code_from_errno(ENAMETOOLONG), 206u);
  EXPECT_EQ(platform::error_code_from_errno(EIO), 1117u);
  EXPECT_EQ(platform::error_code_from_errno(EDOM), 31u);  // anything unlisted
}

TEST(errno_mapping, every_code_it_yields_has_a_system_text) {
  for (int error_number = 0; error_number < 256; ++error_number) {
    std::string text;
    const std::uint32_t code = platform::error_code_from_errno(error_number);
    ASSERT_TRUE(platform::system_message_text(code, text)) << error_number << " -> " << code;
    ASSERT_GE(text.size(), 3u) << code;
    EXPECT_EQ(text.back(), '\n') << code;  // a bare line feed, as every line of a Linux log
    EXPECT_NE(text[text.size() - 2], '\r') << code;
  }
}

// Each code that stands for a known errno comes back as itself through errno;
// the catch-all code of the unlisted ones stands for no single errno.
TEST(errno_mapping, last_error_round_trips_through_errno) {
  for (int error_number = 0; error_number < 256; ++error_number) {
    const std::uint32_t code = platform::error_code_from_errno(error_number);
    if (code == error_code::gen_failure) continue;
    platform::set_last_error(code);
    EXPECT_EQ(platform::get_last_error(), code) << error_number;
  }
}
}  // namespace
