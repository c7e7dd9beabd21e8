#pragma once
// The options dialog as the export driver runs it: in the view the host asked
// for, with the accepted result written back.

#include "options/options_view.h"

struct ExportOptions;
class ExportInterface;

// Window, terminal form or batch, as `exportInterface` names it. The window
// comes from its module; without it the export warns once and runs the terminal
// form on a terminal, batch elsewhere. On OK the options take the dialog's
// values; on Cancel and bad usage only the version raise of the opening stays.
DialogResult runOptionsDialog(ExportOptions& options, ExportInterface& exportInterface);
