// The end-to-end suite's entry: one Wine session for every case that drives brulo.exe.

#include <gtest/gtest.h>

#include "harness.h"

using namespace harness;

namespace {

class wine_session : public ::testing::Environment {
 public:
  void SetUp() override { wine_session_start(""); }
  void TearDown() override { wine_session_stop(); }
};

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  ::testing::AddGlobalTestEnvironment(new wine_session);
  return RUN_ALL_TESTS();
}
