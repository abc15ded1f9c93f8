#include <sys/stat.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <sstream>

#include "platform/desktop_prompt_posix.h"
#include "test_support.h"

namespace {
using namespace test_support;

// A stand-in zenity that lists the descriptors it was started with.
TEST(desktop_prompt_posix, zenity_inherits_only_its_standard_descriptors) {
  temp_dir dir;
  write_file(dir / "zenity",
             "#!/bin/sh\n"
             "for fd in /proc/$$/fd/*; do echo \"${fd##*/} $(readlink \"$fd\")\"; done\n");
  fs::permissions(dir / "zenity", fs::perms::owner_all);
  const std::string saved_path = std::getenv("PATH");
  setenv("PATH", (dir.str() + ":" + saved_path).c_str(), 1);
  std::string listing;
  const int status = platform::run_zenity({}, &listing);
  setenv("PATH", saved_path.c_str(), 1);
  ASSERT_EQ(status, 0);

  std::map<int, std::string> targets;
  std::istringstream lines(listing);
  int fd = -1;
  std::string target;
  while (lines >> fd && std::getline(lines, target)) targets[fd] = target;
  ASSERT_EQ(targets.count(1), 1u) << listing;
  ASSERT_EQ(targets.count(2), 1u) << listing;
  // Our pipe and the file that takes zenity's complaints, each on its own
  // standard descriptor and nowhere else (both ends of a pipe read the same).
  for (const auto& [number, name] : targets) {
    if (number == 1 || number == 2) continue;
    EXPECT_NE(name, targets[1]) << number << "\n" << listing;
    EXPECT_NE(name, targets[2]) << number << "\n" << listing;
  }
}
}  // namespace
