#pragma once
// Answers the options dialog without a user: types the given values into the
// controls in tab order, leaving each edit after typing so its check runs, and
// presses OK. Any message dialog, or a value the form will not take, ends the
// run as bad usage with the reason on the error stream.

#include <ostream>
#include <string>

#include "options/options_view.h"
#include "plugin/export_interface.h"

class BatchOptionsView : public OptionsView {
 public:
  BatchOptionsView(const DialogFieldValues& values, std::ostream& errors)
      : values_(values), errors_(errors) {}

  DialogResult runModal(OptionsDialog& dialog) override;
  void showMessage(const MessageDialog& message) override;

 private:
  [[nodiscard]] bool typeInto(OptionsDialog& dialog, int id);
  [[nodiscard]] bool refuse(int id, const std::string& why);
  DialogResult fail(OptionsDialog& dialog);

  const DialogFieldValues& values_;
  std::ostream& errors_;
  bool messageShown_ = false;
};
