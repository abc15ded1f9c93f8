#include <gtest/gtest.h>

#include <cstdint>
#include <stdexcept>

#include "diag/texts.h"
#include "engine/removal/byte_buffer.h"

namespace {
TEST(byte_buffer, is_zero_filled_and_owns_its_block_until_released) {
  byte_buffer block(7);
  ASSERT_NE(block.data(), nullptr);
  EXPECT_EQ(block.size(), 7u);
  for (std::size_t i = 0; i < block.size(); ++i) EXPECT_EQ(block.data()[i], 0) << i;
  block.release();
  EXPECT_EQ(block.data(), nullptr);
  EXPECT_EQ(block.size(), 0u);
  block.release();
}

TEST(byte_buffer, of_size_zero_holds_nothing) {
  byte_buffer block(0);
  EXPECT_EQ(block.data(), nullptr);
  EXPECT_EQ(block.size(), 0u);
}

TEST(byte_buffer, a_block_that_cannot_be_had_raises_out_of_memory) {
  try {
    byte_buffer block(SIZE_MAX / 2);
    ADD_FAILURE() << "allocated " << block.size() << " bytes";
  } catch (const std::logic_error& error) {
    EXPECT_STREQ(error.what(), texts::out_of_memory);
  }
}
}  // namespace
