#pragma once
// Answers the options dialog without a user: types the given values into the
// controls in tab order, leaving each edit after typing so its check runs, and
// presses OK. Every value the form refuses, or a message it shows, is reported
// (each on one line, naming its field) and the run ends as bad usage; a refused
// value is undone so that the fields after it are still tried.

#include <functional>
#include <string>
#include <vector>

#include "options/options_view.h"
#include "plugin/export_interface.h"

class BatchOptionsView : public OptionsView {
 public:
  using ErrorSink = std::function<void(const std::string&)>;

  BatchOptionsView(const DialogFieldValues& values, ErrorSink errors)
      : values_(values), errors_(std::move(errors)) {}

  DialogResult runModal(OptionsDialog& dialog) override;
  void showMessage(const MessageDialog& message) override;

 private:
  void typeInto(OptionsDialog& dialog, int id);
  void fault(int id, const std::string& why);
  // The message shown since the last call, on one line; empty when none was.
  std::string takeMessage();

  const DialogFieldValues& values_;
  ErrorSink errors_;
  std::vector<std::string> message_;
  bool failed_ = false;
};
