// One meter per user: the lock that a start takes, under Wine.
#include <gtest/gtest.h>
#include <windows.h>

#include <thread>

#include "ui/ids.h"
#include "ui/meter/one_meter_win32.h"

namespace pelliton::testing {
namespace {

// A meter started with other rights: its lock's access list lets no one else open it.
TEST(OneMeterLock, ALockThatCannotBeOpenedMeansAMeterRuns) {
  SECURITY_DESCRIPTOR descriptor{};
  InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION);
  ACL acl{};
  InitializeAcl(&acl, sizeof acl, ACL_REVISION);  // empty: nobody may
  SetSecurityDescriptorDacl(&descriptor, TRUE, &acl, FALSE);
  SECURITY_ATTRIBUTES attributes{sizeof attributes, &descriptor, FALSE};
  HANDLE other = CreateMutexW(&attributes, TRUE, kOneMeterLockName);
  ASSERT_NE(other, nullptr);
  {
    OneMeterLock lock;
    EXPECT_FALSE(lock.Held());
    EXPECT_FALSE(ShowRunningMeterOrTakeOver(lock));
  }
  ReleaseMutex(other);
  CloseHandle(other);
  OneMeterLock lock;
  EXPECT_TRUE(lock.Held());
}

// A meter being killed: its window still there, answering nothing, its lock let go a moment
// later. The start takes over rather than ending with no meter.
TEST(OneMeterLock, AWindowThatNoLongerAnswersIsNoMeter) {
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = DefWindowProcW;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.lpszClassName = PELLITON_METER_CLASS;
  const bool registered = RegisterClassW(&windowClass) != 0;  // else by another test
  HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  std::thread dying([ready] {
    HANDLE held = CreateMutexW(nullptr, TRUE, kOneMeterLockName);
    HWND window = CreateWindowExW(0, PELLITON_METER_CLASS, L"", WS_POPUP, 0, 0, 1, 1, nullptr,
                                  nullptr, GetModuleHandleW(nullptr), nullptr);
    SetEvent(ready);
    Sleep(800);  // no messages pumped from here on
    ReleaseMutex(held);
    CloseHandle(held);
    Sleep(1500);
    DestroyWindow(window);
  });
  ASSERT_EQ(WaitForSingleObject(ready, 5000), WAIT_OBJECT_0);
  OneMeterLock lock;
  EXPECT_FALSE(lock.Held());
  EXPECT_TRUE(ShowRunningMeterOrTakeOver(lock));
  EXPECT_TRUE(lock.Held());
  dying.join();
  CloseHandle(ready);
  if (registered) UnregisterClassW(PELLITON_METER_CLASS, windowClass.hInstance);
}

}  // namespace
}  // namespace pelliton::testing
