#include "plugin/run_options_dialog.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <cstdlib>
#include <functional>
#include <iostream>
#include <string>

#include "options/batch_options_view.h"
#include "options/options_dialog.h"
#include "options/terminal_options_form.h"
#include "plugin/export_interface.h"
#include "plugin/options_window_module.h"

namespace {

using UsageError = std::function<void(const std::string&)>;

// The columns of the terminal the form is printed on; 80 for a pipe.
size_t terminalWidth() {
  winsize size{};
  if (ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) return size.ws_col;
  if (const char* columns = std::getenv("COLUMNS")) {
    long n = std::strtol(columns, nullptr, 10);
    if (n > 0) return static_cast<size_t>(n);
  }
  return 80;
}

DialogResult runTerminalForm(ExportOptions& options) {
  TerminalOptionsForm form(std::cin, std::cout, terminalWidth());
  return runOptionsDialog(options, form);
}

DialogResult runBatch(ExportOptions& options, ExportInterface& exportInterface,
                      const UsageError& usageError) {
  BatchOptionsView batch(exportInterface.batchValues(), usageError);
  return runOptionsDialog(options, batch);
}

void tellUsageError(void* context, const char* text) {
  (*static_cast<UsageError*>(context))(text);
}

// Without its module the window gives way to what the host would have chosen
// had there been no display: the form where someone can answer it, else batch.
DialogResult runWindow(ExportOptions& options, ExportInterface& exportInterface,
                       UsageError& usageError) {
  std::string error;
  if (WindowRunOptionsFn run = loadOptionsWindow(error))
    return static_cast<DialogResult>(run(&options, tellUsageError, &usageError));
  const bool terminal = isatty(STDIN_FILENO) && isatty(STDERR_FILENO);
  exportInterface.warning(error + (terminal ? "; the options show on the terminal"
                                            : "; the options are taken from the command line"));
  return terminal ? runTerminalForm(options) : runBatch(options, exportInterface, usageError);
}

}  // namespace

DialogResult runOptionsDialog(ExportOptions& options, ExportInterface& exportInterface) {
  // A view that cannot be answered says why itself; the host ends as bad usage.
  UsageError usageError = [&](const std::string& text) { exportInterface.usageError(text); };
  switch (exportInterface.dialogView()) {
    case DialogView::kWindow:
      return runWindow(options, exportInterface, usageError);
    case DialogView::kTerminal:
      return runTerminalForm(options);
    case DialogView::kBatch:
    default:
      return runBatch(options, exportInterface, usageError);
  }
}
