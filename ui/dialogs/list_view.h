#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace pelliton {

// Reading a line of a list that is not there: "List index out of bounds (-1)".
class ListIndexError : public std::out_of_range {
 public:
  explicit ListIndexError(int index)
      : std::out_of_range("List index out of bounds (" + std::to_string(index) + ")") {}
};

// A dialog's single-selection list and its OK button as the handlers see them. Lines are
// 8-bit text in the system code page.
class ListDialogView {
 public:
  virtual ~ListDialogView() = default;
  virtual void AddLine(std::string_view text) = 0;
  virtual int LineCount() const = 0;
  virtual std::string Line(int index) const = 0;  // 0 <= index < LineCount()
  virtual int SelectedIndex() const = 0;          // -1 when no line is selected
  // Selects a line the way a program does, scrolled into view: it is no user selection,
  // ListBox1Click stays out.
  virtual void SelectLine(int index) = 0;
  virtual void SetOkEnabled(bool enabled) = 0;
};

// The selected line's text; ListIndexError without one.
inline std::string SelectedLine(const ListDialogView& view) {
  const int index = view.SelectedIndex();
  if (index < 0 || index >= view.LineCount()) throw ListIndexError(index);
  return view.Line(index);
}

}  // namespace pelliton
