// A job whose progress window cannot be made: built without the window's
// resources, so the progress thread ends at once.
#include <gtest/gtest.h>
#include <windows.h>

#include "engine/shred_support.h"
#include "ui/deleting.h"

namespace {

TEST(DeletingWithoutWindow, JobEndsWithoutTouchingAnythingInsteadOfWaitingForever) {
  kxtest::ScratchFolder dir;
  std::string file = dir / "keep.txt";
  ASSERT_TRUE(kxtest::WriteBytes(file, "still here"));
  DeleteJob pending;
  BuildJob(pending);
  ASSERT_NE(AddTopLevelItem(pending, file.c_str(), nullptr), nullptr);
  // Without a main window the start waits for the worker: it must come back.
  EXPECT_TRUE(DeletionRunner().StartWorker(pending, nullptr));
  EXPECT_EQ(kxtest::ReadBytes(file), "still here");
  ReleaseJob(pending);
}

}  // namespace
