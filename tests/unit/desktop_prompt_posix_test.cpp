#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/desktop/desktop_prompt_posix.h"
#include "test_support.h"

namespace {
using namespace test_support;

// A stand-in zenity names each other descriptor it holds of our pipe (both ends
// read the same) or of the file that takes its complaints.
TEST(desktop_prompt_posix, zenity_gets_our_descriptors_only_as_its_standard_ones) {
  temp_dir dir;
  write_file(dir / "zenity",
             "#!/bin/sh\n"
             "out=$(readlink /proc/$$/fd/1) err=$(readlink /proc/$$/fd/2)\n"
             "for fd in /proc/$$/fd/*; do\n"
             "  n=${fd##*/} link=$(readlink \"$fd\")\n"
             "  if [ $n -gt 2 ] && { [ \"$link\" = \"$out\" ] || [ \"$link\" = \"$err\" ]; }; then echo \"$n $link\"; fi\n"
             "done\n");
  fs::permissions(dir / "zenity", fs::perms::owner_all);
  const std::string saved_path = std::getenv("PATH");
  setenv("PATH", (dir.str() + ":" + saved_path).c_str(), 1);
  std::string leaked;
  EXPECT_EQ(platform::run_zenity({}, &leaked), 0);
  setenv("PATH", saved_path.c_str(), 1);
  EXPECT_EQ(leaked, "");
}
}  // namespace
