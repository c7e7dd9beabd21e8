#pragma once
// The options dialog as the export driver runs it: in the view the host asked
// for, with the accepted result written back.

#include "options/options_view.h"

struct ExportOptions;
class ExportInterface;
class TextureSource;

// Window, terminal form or batch, as `exportInterface` names it. On OK the
// options and the texture source's copy switch take the dialog's values; on
// Cancel and bad usage only the version raise of the opening stays.
DialogResult runOptionsDialog(ExportOptions& options, TextureSource& textures,
                              ExportInterface& exportInterface);
// The same in a view of the caller's.
DialogResult runOptionsDialog(ExportOptions& options, TextureSource& textures, OptionsView& view);
