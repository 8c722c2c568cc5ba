// The application object: its window, message boxes and message loop.
#include "ui/meter_win32/meter_fixture.h"

namespace pelliton::testing {
namespace {

using ApplicationTest = MeterWindowTest;

// Runs `work` from inside the loop under test, as a handler would.
void PostWork(HWND window, std::function<void()>* work) {
  SetPropW(window, L"PellitonTestWork", work);
  SetTimer(window, 77, 1, [](HWND target, UINT, UINT_PTR timer, DWORD) {
    KillTimer(target, timer);
    (*static_cast<std::function<void()>*>(GetPropW(target, L"PellitonTestWork")))();
  });
}

TEST_F(ApplicationTest, WindowIsAnUnownedSizelessTopLevelWindow) {
  wchar_t className[64] = {};
  GetClassNameW(app.Handle(), className, 64);
  EXPECT_STREQ(className, PELLITON_APP_CLASS);
  EXPECT_EQ(TextOf(app.Handle()), L"Pelliton");
  EXPECT_EQ(GetWindow(app.Handle(), GW_OWNER), nullptr);
  EXPECT_EQ(GetParent(app.Handle()), nullptr);
  EXPECT_FALSE(IsWindowVisible(app.Handle()));
  RECT frame{};
  GetWindowRect(app.Handle(), &frame);
  EXPECT_EQ(frame.right - frame.left, 0);
  EXPECT_EQ(frame.bottom - frame.top, 0);
  EXPECT_FALSE(GetWindowLongPtrW(app.Handle(), GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
}

TEST_F(ApplicationTest, ShowMessageIsAnOkBoxCaptionedPellitonOwnedByTheMeter) {
  app.SetMeterWindow(Window());
  BoxAnswerer answerer;
  app.ShowMessage("Zorvane Live Pelliton has been installed successfully.");
  ASSERT_EQ(answerer.seen.size(), 1u);
  const SeenBox& box = answerer.seen[0];
  EXPECT_EQ(box.caption, L"Pelliton");
  EXPECT_EQ(box.text, L"Zorvane Live Pelliton has been installed successfully.");
  EXPECT_EQ(box.owner, Window());
  EXPECT_FALSE(box.hasIcon);
  EXPECT_FALSE(box.hasCancel);
}

TEST_F(ApplicationTest, ShowBoxHasItsOwnCaptionAndNoOwnerBeforeTheMeter) {
  BoxAnswerer answerer;
  app.ShowBox("Pelliton installation cancelled", "Installation Cancel");
  ASSERT_EQ(answerer.seen.size(), 1u);
  EXPECT_EQ(answerer.seen[0].caption, L"Installation Cancel");
  EXPECT_EQ(answerer.seen[0].text, L"Pelliton installation cancelled");
  EXPECT_EQ(answerer.seen[0].owner, nullptr);
  EXPECT_FALSE(answerer.seen[0].hasIcon);
}

TEST_F(ApplicationTest, AskYesNoIsTrueOnlyForYes) {
  app.SetMeterWindow(Window());
  for (const auto& [button, expected] : {std::pair{IDYES, true}, std::pair{IDNO, false}}) {
    BoxAnswerer answerer(button);
    EXPECT_EQ(app.AskYesNo("Do you want to remove this software?", "Terminate Query"), expected);
    ASSERT_EQ(answerer.seen.size(), 1u);
    EXPECT_EQ(answerer.seen[0].caption, L"Terminate Query");
    EXPECT_EQ(answerer.seen[0].text, L"Do you want to remove this software?");
    EXPECT_TRUE(answerer.seen[0].hasIcon);
    EXPECT_FALSE(answerer.seen[0].hasCancel);
  }
}

TEST_F(ApplicationTest, TerminateEndsTheMainLoopFromAHandler) {
  std::function<void()> work = [&] { app.Terminate(); };
  PostWork(Window(), &work);
  Watchdog watchdog;
  EXPECT_EQ(app.Run(), 0);
  EXPECT_TRUE(app.Terminated());
}

TEST_F(ApplicationTest, ABoxShownAfterTerminateIsStillSeen) {
  BoxAnswerer answerer;
  std::function<void()> work = [&] {
    app.Terminate();
    app.ShowBox("Pelliton installation cancelled", "Installation Cancel");
    events.calls.push_back("after box");
  };
  PostWork(Window(), &work);
  Watchdog watchdog;
  EXPECT_EQ(app.Run(), 0);
  ASSERT_EQ(answerer.seen.size(), 1u);
  EXPECT_EQ(answerer.seen[0].caption, L"Installation Cancel");
  EXPECT_EQ(events.calls, std::vector<std::string>{"after box"});
}

TEST_F(ApplicationTest, QuitMessageAlsoEndsTheMainLoop) {
  std::function<void()> work = [] { PostQuitMessage(3); };
  PostWork(Window(), &work);
  Watchdog watchdog;
  EXPECT_EQ(app.Run(), 3);
  EXPECT_FALSE(app.Terminated());
}

TEST_F(ApplicationTest, ClosingTheTaskbarButtonEndsTheProgram) {
  SendMessageW(app.Handle(), WM_CLOSE, 0, 0);
  EXPECT_TRUE(app.Terminated());
  EXPECT_TRUE(IsWindow(app.Handle()));
}

TEST_F(ApplicationTest, ProcessMessagesEmptiesTheQueueOnce) {
  for (int index = 0; index < 3; ++index)
    PostMessageW(Window(), WM_COMMAND, MAKEWPARAM(IDM_SHUFFLE + index, 0), 0);
  app.ProcessMessages();
  EXPECT_EQ(events.calls, (std::vector<std::string>{"menu 0", "menu 1", "menu 2"}));
  MSG message{};
  EXPECT_FALSE(PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE));
}

TEST_F(ApplicationTest, ProcessMessagesLeavesAQuitMessageForTheLoop) {
  PostQuitMessage(5);
  PostMessageW(Window(), WM_COMMAND, MAKEWPARAM(IDM_ABOUT, 0), 0);
  app.ProcessMessages();
  MSG message{};
  ASSERT_TRUE(PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(message.wParam, 5u);
  EXPECT_EQ(events.calls, std::vector<std::string>{"menu 11"});
}

}  // namespace
}  // namespace pelliton::testing
