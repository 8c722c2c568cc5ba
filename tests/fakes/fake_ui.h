#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "fakes/call_journal.h"
#include "fakes/fake_platform.h"
#include "ui/meter_window.h"

namespace pelliton::testing {

// The meter window with the initial state of its layout: resource captions, 16 pt, lime,
// "Stay On Top" checked, shown on the taskbar.
class FakeMeterWindow : public MeterWindow {
 public:
  void SetLabel1(std::string_view text) override { label1 = text; }
  void SetLabel2(std::string_view text) override { label2 = text; }
  void SetLabel3(std::string_view text) override { label3 = text; }
  void SetTimer1Enabled(bool enabled) override {
    timerEnabled = enabled;
    journal.Note(enabled ? "timer 1" : "timer 0");
  }
  void SetLabelsVisible(bool visible) override { labelsVisible = visible; }
  void SetLabel1FontSize(std::uint8_t points) override { fontSize = points; }
  void SetLabelsColor(std::int32_t value) override { color = value; }
  void SetLabelTops(int top2, int top3) override {
    label2Top = top2;
    label3Top = top3;
  }
  std::string Label1Text() const override { return label1; }
  bool MenuChecked(MenuItem item) const override {
    auto it = checks.find(item);
    return it != checks.end() && it->second;
  }
  void SetMenuChecked(MenuItem item, bool checked) override {
    checks[item] = checked;
    journal.Note("mark " + std::to_string(static_cast<int>(item)) + (checked ? "=1" : "=0"));
  }
  void OpenPopupMenu(ScreenPoint at) override { menuOpenedAt.push_back(at); }
  std::int32_t Left() const override { return left; }
  std::int32_t Top() const override { return top; }
  std::int32_t Width() const override { return 241; }
  std::int32_t Height() const override { return 38; }
  void SetLeft(std::int32_t value) override {
    left = value;
    moves.push_back('L');
  }
  void SetTop(std::int32_t value) override {
    top = value;
    moves.push_back('T');
  }
  void SetTopmost(bool value) override {
    topmost = value;
    journal.Note(value ? "topmost 1" : "topmost 0");
    topmostCalls.push_back(value);
  }
  void BringToTop() override { journal.Note("top"); }
  void HideTaskbarButton() override { onTaskbar = false; }
  void SetMeterShown(bool shown) override {
    meterShown = shown;
    journal.Note(shown ? "shown 1" : "shown 0");
  }
  void ShowTrayStatus(const TrayStatus& status) override { trayStatuses.push_back(status); }
  // The colour dialog gives the next of `colorAnswers` (nothing: cancelled).
  std::optional<std::int32_t> ExecuteColorDialog1(std::int32_t initial) override {
    colorDialogOpenedWith.push_back(initial);
    if (colorAnswers.empty()) return std::nullopt;
    const std::optional<std::int32_t> answer = colorAnswers.front();
    colorAnswers.erase(colorAnswers.begin());
    return answer;
  }
  void ShellOpen(std::string_view target) override { shellOpened.emplace_back(target); }

  std::string label1 = "0 KB", label2 = "1,000.20 MB", label3 = "00:00";
  bool timerEnabled = false;
  bool labelsVisible = true;
  std::uint8_t fontSize = 16;
  std::int32_t color = 0x00FF00;
  int label2Top = 5, label3Top = 22;
  std::map<MenuItem, bool> checks{{MenuItem::StayOnTop1, true}};
  std::vector<ScreenPoint> menuOpenedAt;
  std::int32_t left = 0, top = 0;
  std::string moves;  // 'T' and 'L' in the order the window was moved
  bool topmost = false;
  std::vector<bool> topmostCalls;
  bool onTaskbar = true;
  bool meterShown = true;
  std::vector<TrayStatus> trayStatuses;
  CallJournal journal;  // timer, topmost, top, shown and marks, in order
  std::vector<std::optional<std::int32_t>> colorAnswers;
  std::vector<std::int32_t> colorDialogOpenedWith;
  std::vector<std::string> shellOpened;
};

// Message boxes answered from a script; every box shown is recorded.
class FakeApplication : public Application {
 public:
  struct Box {
    std::string text, caption, kind;  // kind: "message", "box" or "yesno"
  };

  std::int32_t ScreenWidth() const override { return screenWidth; }
  std::int32_t ScreenHeight() const override { return screenHeight; }
  ScreenRect MonitorOf(const ScreenRect&) const override {  // one screen
    return {0, 0, screenWidth, screenHeight};
  }
  std::u16string ExePath() const override { return exePath; }
  void ShowMessage(std::string_view text) override {
    boxes.push_back({std::string(text), "Pelliton", "message"});
    journal.Note("message");
  }
  void ShowBox(std::string_view text, std::string_view caption) override {
    boxes.push_back({std::string(text), std::string(caption), "box"});
  }
  bool AskYesNo(std::string_view text, std::string_view caption) override {
    boxes.push_back({std::string(text), std::string(caption), "yesno"});
    journal.Note("ask");
    return answerYes;
  }
  void ProcessMessages() override {
    ++messagePasses;
    if (onProcessMessages) onProcessMessages();
  }
  void Terminate() override {
    terminated = true;
    journal.Note("terminate");
  }
  bool Terminated() const override { return terminated; }

  std::int32_t screenWidth = 1280, screenHeight = 800;
  std::u16string exePath = u"C:\\Program Files\\Pelliton\\Pelliton.exe";
  bool answerYes = true;
  bool terminated = false;
  int messagePasses = 0;
  std::function<void()> onProcessMessages;
  std::vector<Box> boxes;
  CallJournal journal;  // questions, messages, the end
};

// The connection dialog stands in as a function: what the user does in it.
class FakeDialogs : public Dialogs {
 public:
  void ShowConnectionDialog() override {
    ++connectionShowings;
    if (onConnectionDialog) onConnectionDialog();
  }
  void ShowAboutBox() override { shown.push_back("About"); }
  void ShowCycleDateDialog() override { shown.push_back("CycleDate"); }
  void ShowDisplaySizeDialog() override { shown.push_back("DisplaySize"); }
  void ShowStatisticsWindow() override { shown.push_back("Statistics"); }
  void ShowDataCapDialog() override { shown.push_back("DataCap"); }
  void ShowUsageHistoryWindow() override { shown.push_back("UsageHistory"); }
  void ShowMeteredConnectionsDialog() override { shown.push_back("MeteredConnections"); }
  void ShowPlanDialog() override { shown.push_back("Plan"); }
  int connectionShowings = 0;
  std::function<void()> onConnectionDialog;
  std::vector<std::string> shown;  // every other window shown, in order
};

}  // namespace pelliton::testing
