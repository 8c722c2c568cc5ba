// One meter per user: the lock that a start takes, under Wine.
#include <gtest/gtest.h>
#include <windows.h>

#include "ui/meter/one_meter_win32.h"

namespace pelliton::testing {
namespace {

// A meter started with other rights: its lock's access list lets no one else open it.
TEST(OneMeterLock, ALockThatCannotBeOpenedMeansAMeterRuns) {
  SECURITY_DESCRIPTOR descriptor{};
  InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION);
  ACL empty{};
  InitializeAcl(&empty, sizeof empty, ACL_REVISION);
  SetSecurityDescriptorDacl(&descriptor, TRUE, &empty, FALSE);
  SECURITY_ATTRIBUTES attributes{sizeof attributes, &descriptor, FALSE};
  HANDLE other = CreateMutexW(&attributes, TRUE, kOneMeterLockName);
  ASSERT_NE(other, nullptr);
  {
    OneMeterLock lock;
    EXPECT_FALSE(lock.Held());
    EXPECT_FALSE(ShowRunningMeterOrTakeOver(lock));
  }
  CloseHandle(other);
  EXPECT_TRUE(OneMeterLock().Held());
}

}  // namespace
}  // namespace pelliton::testing
