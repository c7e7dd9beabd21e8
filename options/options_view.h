#pragma once
// What shows the options dialog to a user: a window, a terminal form or a batch
// run. The dialog model decides everything; a view only shows and answers.

#include "options/message_dialog.h"

class OptionsDialog;

enum class DialogResult {
  kCancel = 0,
  kOk = 1,
  // The dialog could not be answered: a message dialog in batch, a value the
  // form does not offer, or no display for the window. The view has told the
  // export interface why (usageError); the host exits with 2.
  kBadUsage = 2,
};

class OptionsView {
 public:
  virtual ~OptionsView() = default;

  // Shows the dialog modally until OK or Cancel closes it.
  virtual DialogResult runModal(OptionsDialog& dialog) = 0;
  // One message dialog, modal; returns when its "OK" was pressed.
  virtual void showMessage(const MessageDialog& message) = 0;
  // The model changed what control `id` shows: its text, selection, tick or enablement.
  virtual void controlChanged(int id) { (void)id; }
  // A check gave the focus back to edit `id` with its whole text selected.
  virtual void focusReturned(int id) { (void)id; }
};
