#pragma once

#include <windows.h>

#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "ui/ansi_text_win32.h"
#include "ui/dialogs/all_conections.h"
#include "ui/dialogs/modal_dialog_win32.h"

namespace pelliton {

// A dialog's ListBox1 and OK button. The lines are kept as given too, so that a confirmed line goes
// to the store byte for byte, whatever the round trip through UTF-16 would make of it.
class ListBoxView final : public ConnectionDialogView {
 public:
  ListBoxView(HWND dialog, HWND list, HWND ok) : dialog_(dialog), list_(list), ok_(ok) {}

  void ClearList() override {
    SendMessageW(list_, LB_RESETCONTENT, 0, 0);
    lines_.clear();
  }
  void AddLine(std::string_view text) override {
    lines_.emplace_back(text);
    const std::wstring wide = WidenAnsi(text);
    if (SendMessageW(list_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide.c_str())) < 0) {
      lines_.pop_back();
      throw std::bad_alloc();
    }
  }
  int LineCount() const override {
    return static_cast<int>(SendMessageW(list_, LB_GETCOUNT, 0, 0));
  }
  std::string Line(int index) const override { return lines_.at(static_cast<std::size_t>(index)); }
  int SelectedIndex() const override {
    const LRESULT index = SendMessageW(list_, LB_GETCURSEL, 0, 0);
    return index == LB_ERR ? -1 : static_cast<int>(index);
  }
  void SelectLine(int index) override {
    SendMessageW(list_, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
  }
  void SetOkEnabled(bool enabled) override { EnableWindow(ok_, enabled ? TRUE : FALSE); }
  void EndModalCancel() override { EndDialog(dialog_, IDCANCEL); }

 private:
  HWND dialog_;
  HWND list_;
  HWND ok_;
  std::vector<std::string> lines_;
};

// A dialog of Label1 (blue, a click on it runs BitBtn1Click), the OK button BitBtn1, the
// Cancel button BitBtn2 and the single-selection list ListBox1, in the tab order BitBtn1,
// BitBtn2, ListBox1. OK is the default button, and the focus starts on Cancel.
class ListDialog : public ModalDialog {
 public:
  using ModalDialog::ModalDialog;

 protected:
  struct Layout {
    int label1Id;
    const wchar_t* label1Text;
    LayoutRect label1;
    int label1FontHeight;
    LayoutRect bitBtn1, bitBtn2;
    int listBox1Id;
    LayoutRect listBox1;
    DWORD listStyle;  // beyond a single-selection list with a vertical scroll bar
    int listFontHeight;
    int lineHeight;
  };
  void CreateControls(const Layout& layout);

  // The controls' handlers, each run inside the one error handler.
  virtual void ListBox1Click() = 0;
  virtual void BitBtn1Click() = 0;
  virtual void BitBtn2Click() {}

  // WM_COMMAND and Label1's colour; FALSE for any other message. OK (and Enter) presses
  // nothing while disabled, and closes with the OK result even when its handler failed.
  INT_PTR OnListMessage(UINT message, WPARAM wParam, LPARAM lParam);
  // Label1 fitted to its text again and the list's line height, at the new DPI.
  void OnDpiChanged() override;

  DialogFont formFont_, label1Font_, listFont_;
  HWND label1_ = nullptr;
  HWND bitBtn1_ = nullptr;
  HWND bitBtn2_ = nullptr;
  HWND listBox1_ = nullptr;

 private:
  void OnCommand(int id, int code);
  int lineHeight_ = 0;
};

}  // namespace pelliton
