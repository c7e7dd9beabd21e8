#pragma once
// The options dialog as a form of prompts on a terminal (or a pipe): each field
// shows its current value and Enter keeps it; message dialogs are printed and
// the form goes back to the field at fault. End of input cancels.

#include <istream>
#include <ostream>
#include <string>

#include "options/options_view.h"

class TerminalOptionsForm : public OptionsView {
 public:
  TerminalOptionsForm(std::istream& in, std::ostream& out) : in_(in), out_(out) {}

  DialogResult runModal(OptionsDialog& dialog) override;
  void showMessage(const MessageDialog& message) override;

 private:
  // False at the end of input.
  [[nodiscard]] bool ask(const std::string& prompt, std::string& answer);
  // False at the end of input; `done` tells whether the field took the answer.
  [[nodiscard]] bool askList(OptionsDialog& dialog, int id, bool& done);
  [[nodiscard]] bool askEdit(OptionsDialog& dialog, int id, bool& done);
  [[nodiscard]] bool askCheck(OptionsDialog& dialog, int id, bool& done);

  std::istream& in_;
  std::ostream& out_;
};
