#pragma once
// The options dialog as a form of prompts on a terminal (or a pipe): each field
// shows its current value and Enter keeps it; message dialogs are printed and
// the form goes back to the field at fault, showing the value it had before the
// refused one. End of input cancels.

#include <cstddef>
#include <istream>
#include <ostream>
#include <string>

#include "options/options_view.h"

class TerminalOptionsForm : public OptionsView {
 public:
  // Lines are broken between words to fit `width` columns.
  TerminalOptionsForm(std::istream& in, std::ostream& out, size_t width = 80)
      : in_(in), out_(out), width_(width) {}

  DialogResult runModal(OptionsDialog& dialog) override;
  void showMessage(const MessageDialog& message) override;

 private:
  // False at the end of input.
  bool ask(const std::string& prompt, std::string& answer);
  // False at the end of input; `done` tells whether the field took the answer.
  bool askList(OptionsDialog& dialog, int id, bool& done);
  bool askEdit(OptionsDialog& dialog, int id, bool& done);
  bool askCheck(OptionsDialog& dialog, int id, bool& done);
  // Prints `text` broken into lines of at most width_ columns, never inside a word.
  void say(const std::string& text);
  // The list's entries numbered, several a line, never one split over two.
  void showChoices(const std::vector<std::string>& items);

  std::istream& in_;
  std::ostream& out_;
  size_t width_;
};
