#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>

#include "engine/walk/open_directories.h"

namespace {
TEST(open_directories, the_directory_unused_longest_is_closed_first_and_one_in_use_never) {
  open_directories handles(3);
  for (int k = 0; k < 6; ++k) handles.add();
  const auto open = [&](std::uint32_t id) {
    handles.reserve();
    handles.keep(id, std::make_unique<platform::tree_directory>());
  };
  const auto held = [&] {
    std::string ids;
    for (std::uint32_t id = 0; id < 6; ++id)
      if (handles.find(id) != nullptr) ids += static_cast<char>('0' + id);
    return ids;
  };
  open(0);
  handles.take(0);
  open(1);
  open(2);
  EXPECT_TRUE(handles.has_room_for(2));
  EXPECT_FALSE(handles.has_room_for(3));
  handles.touch(1);
  open(3);
  EXPECT_EQ(held(), "013");
  handles.give_back(0);
  open(4);
  EXPECT_EQ(held(), "034");
  // Released, it stays open until the next one is released.
  handles.release(3);
  EXPECT_EQ(held(), "034");
  handles.release(4);
  EXPECT_EQ(held(), "04");
  // A handle that did not come gives its room back.
  handles.reserve();
  EXPECT_EQ(handles.keep(5, nullptr), nullptr);
  open(5);
  EXPECT_EQ(held(), "045");
  // With every one in use, none is closed, whatever the budget.
  for (const std::uint32_t id : {0u, 4u, 5u}) handles.take(id);
  open(2);
  EXPECT_EQ(held(), "0245");
}
}  // namespace
