#include <gtest/gtest.h>

#include "platform/files/path_syntax.h"
#include "platform/files/system_places.h"

namespace {
TEST(system_places, name_the_folders_a_volume_keeps_at_its_top) {
  const platform::system_places places;
  const bool posix = platform::path_separator == '/';
  const struct {
    const char* name;
    bool posix, windows;
  } rows[] = {{".Trash", true, false},        {".Trash-0", true, false},      {".Trash-1000", true, false},
              {".Trash-", false, false},      {".Trash-1a", false, false},    {".trash", false, false},
              {"$RECYCLE.BIN", false, true},  {"$Recycle.Bin", false, true},  {"$Recycle.Bin2", false, false},
              {"System Volume Information", false, true}, {"System Volume", false, false}};
  for (const auto& row : rows) {
    EXPECT_EQ(places.at_volume_top(row.name), posix ? row.posix : row.windows) << row.name;
    EXPECT_EQ(places.anywhere(row.name), posix && row.posix) << row.name;  // a mount's trash, at any depth
  }
}
}  // namespace
