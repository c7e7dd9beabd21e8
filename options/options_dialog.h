#pragma once
// The options dialog without a toolkit: the state of every control, what a
// user can do to them, the checks those actions run, and the accepted result.
// A view shows this state and turns its own events into these calls.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "options/dialog_controls.h"
#include "options/options_view.h"

struct AttrEnumEntry;
struct ExportOptions;

class OptionsDialog {
 public:
  // Older versions are raised to this one when the dialog opens.
  static constexpr int32_t kMinimumVersion = 1520;
  // The version list offers no entry below this one.
  static constexpr int32_t kFirstListedVersion = 1420;
  static constexpr const char* kLambertConic = "Lambert Conic";
  // The Lambert check on OK reads at most this much of each edit's first line.
  static constexpr size_t kLambertTextLimit = 64;
  static const char* const kWebAddress;

  // Opens the dialog on `options`: a version below kMinimumVersion is raised and
  // stored at once (it stays raised after Cancel); the controls show the
  // options, the check boxes all ticked.
  OptionsDialog(ExportOptions& options, OptionsView& view);

  // What the controls show.
  const std::vector<std::string>& listItems(int id) const { return list(id).items; }
  // The selected text, empty when the list has no selection.
  const std::string& listSelection(int id) const { return list(id).selection; }
  const std::string& editText(int id) const { return edit(id).text; }
  bool editModified(int id) const { return edit(id).modified; }
  bool checked(int id) const { return checks_[checkIndex(id)]; }
  bool enabled(int id) const;
  int focus() const { return focus_; }
  const std::string& linkTarget() const { return linkTarget_; }
  bool closed() const { return closed_; }
  // The entry that typing `text` into list `id` lands on: the exact text, else
  // the one entry equal to it but for case; versions also as "15.4". Null if none.
  const std::string* findListEntry(int id, const std::string& text) const;
  DialogResult result() const { return result_; }

  // What a user does. Each action first moves the focus to its control, which
  // runs the check of an edit being left; an action refused there (or aimed at
  // a disabled control, or made after the dialog closed) returns false.
  [[nodiscard]] bool moveFocus(int id);
  // Moves the focus to the next enabled tab stop, as Tab (or Shift+Tab) does.
  [[nodiscard]] bool pressTab(bool backward = false);
  // Selects the entry whose text is exactly `text`; false when there is none.
  [[nodiscard]] bool selectListItem(int id, const std::string& text);
  // Replaces the edit's whole text, as typing over a selection does.
  [[nodiscard]] bool typeText(int id, const std::string& text);
  [[nodiscard]] bool setChecked(int id, bool on);
  // True when the dialog closed with OK; otherwise a message was shown and the
  // focus went back to the field at fault.
  [[nodiscard]] bool pressOk();
  void pressCancel();

  // After OK: the lists' values, coordinates and switches go into the options.
  void apply(ExportOptions& options) const;

  // The enumeration behind a list (from the header attribute table).
  static const AttrEnumEntry* listEnumeration(int id);

 private:
  struct List {
    std::vector<std::string> items;  // sorted
    std::string selection;
  };
  struct Edit {
    std::string text;
    bool modified = false;  // typed into since the text was last set
    bool enabled = true;
  };

  static size_t listIndex(int id);
  static size_t editIndex(int id);
  static size_t checkIndex(int id);
  const List& list(int id) const { return lists_[listIndex(id)]; }
  const Edit& edit(int id) const { return edits_[editIndex(id)]; }

  void setEditText(int id, const std::string& text);
  void updateLambertEnabled();
  // Runs when the focus leaves edit `id`: false when it had to take it back.
  [[nodiscard]] bool leaveEdit(int id);
  // Whole-field check before OK is accepted; false with the message shown.
  [[nodiscard]] bool checkCoordinateOnOk(int id);
  void refuse(const MessageDialog& message, int id);

  OptionsView& view_;
  std::array<List, 4> lists_;  // version, projection, ellipsoid, units
  std::array<Edit, 4> edits_;  // origin latitude, origin longitude, Lambert upper, lower
  std::array<bool, 3> checks_ = {true, true, true};  // copy textures, auto group, auto object
  std::string linkTarget_;
  int focus_ = kVersionList;
  bool closed_ = false;
  DialogResult result_ = DialogResult::kCancel;
};

// Runs the dialog over `options` in `view`; on OK the options take its values.
DialogResult runOptionsDialog(ExportOptions& options, OptionsView& view);
