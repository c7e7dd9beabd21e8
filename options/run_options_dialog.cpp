#include "options/run_options_dialog.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <cstdlib>
#include <iostream>
#include <string>

#include "options/batch_options_view.h"
#include "options/fltk_options_window.h"
#include "options/options_dialog.h"
#include "options/terminal_options_form.h"
#include "plugin/export_interface.h"

namespace {

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

}  // namespace

DialogResult runOptionsDialog(ExportOptions& options, ExportInterface& exportInterface) {
  // A view that cannot be answered says why itself; the host ends as bad usage.
  auto usageError = [&](const std::string& text) { exportInterface.usageError(text); };
  switch (exportInterface.dialogView()) {
    case DialogView::kWindow: {
      FltkOptionsWindow window(usageError);
      return runOptionsDialog(options, window);
    }
    case DialogView::kTerminal: {
      TerminalOptionsForm form(std::cin, std::cout, terminalWidth());
      return runOptionsDialog(options, form);
    }
    case DialogView::kBatch:
    default: {
      BatchOptionsView batch(exportInterface.batchValues(), usageError);
      return runOptionsDialog(options, batch);
    }
  }
}
