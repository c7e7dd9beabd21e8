#include "options/run_options_dialog.h"

#include <iostream>

#include "options/batch_options_view.h"
#include "options/fltk_options_window.h"
#include "options/options_dialog.h"
#include "options/terminal_options_form.h"
#include "plugin/export_interface.h"

DialogResult runOptionsDialog(ExportOptions& options, ExportInterface& exportInterface) {
  switch (exportInterface.dialogView()) {
    case DialogView::kWindow: {
      FltkOptionsWindow window([&](const std::string& text) { exportInterface.error(text); });
      return runOptionsDialog(options, window);
    }
    case DialogView::kTerminal: {
      TerminalOptionsForm form(std::cin, std::cout);
      return runOptionsDialog(options, form);
    }
    case DialogView::kBatch:
    default: {
      BatchOptionsView batch(exportInterface.batchValues(), std::cerr);
      return runOptionsDialog(options, batch);
    }
  }
}
