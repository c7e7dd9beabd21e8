#include "options/batch_options_view.h"

#include "options/options_dialog.h"

namespace {

const std::optional<std::string>* textFor(const DialogFieldValues& v, int id) {
  switch (id) {
    case kVersionList:
      return &v.format;
    case kProjectionList:
      return &v.projection;
    case kEllipsoidList:
      return &v.ellipsoid;
    case kUnitsList:
      return &v.units;
    case kOriginLatEdit:
      return &v.originLat;
    case kOriginLonEdit:
      return &v.originLon;
    case kLambertUpperEdit:
      return &v.lambertUpper;
    case kLambertLowerEdit:
      return &v.lambertLower;
    default:
      return nullptr;
  }
}

const std::optional<bool>* tickFor(const DialogFieldValues& v, int id) {
  switch (id) {
    case kCopyTexturesCheck:
      return &v.copyTextures;
    case kAutoGroupCheck:
      return &v.autoGroup;
    case kAutoObjectCheck:
      return &v.autoObject;
    default:
      return nullptr;
  }
}

std::string joined(const std::vector<std::string>& items) {
  std::string text;
  for (const std::string& item : items) text += (text.empty() ? "" : ", ") + item;
  return text;
}

}  // namespace

void BatchOptionsView::showMessage(const MessageDialog& message) {
  message_ = message.lines;
}

std::string BatchOptionsView::takeMessage() {
  // The first line is the message's heading, the rest one sentence.
  std::string text;
  for (size_t i = 0; i < message_.size(); ++i)
    text += (i == 0 ? "" : i == 1 ? ": " : " ") + message_[i];
  message_.clear();
  return text;
}

void BatchOptionsView::fault(int id, const std::string& why) {
  failed_ = true;
  errors_(std::string(findDialogControl(id)->name) + ": " + why);
}

void BatchOptionsView::typeInto(OptionsDialog& dialog, int id) {
  if (const auto* tick = tickFor(values_, id); tick && *tick) {
    if (!dialog.setChecked(id, **tick)) fault(id, "the check box cannot be reached");
    return;
  }
  const auto* given = textFor(values_, id);
  if (!given || !*given) return;
  const std::string& text = **given;
  if (id >= kVersionList && id <= kUnitsList) {
    const OptionListMatch match = dialog.matchListEntry(id, text);
    if (!match.entry.empty()) {
      if (!dialog.selectListItem(id, match.entry)) fault(id, "the list cannot be reached");
    } else if (!match.candidates.empty()) {
      fault(id, "\"" + text + "\" fits several entries: " + joined(match.candidates));
    } else {
      fault(id, "no entry \"" + text + "\" (the list offers " + joined(dialog.listItems(id)) + ")");
    }
    return;
  }
  if (!dialog.enabled(id)) {
    fault(id, "the field is disabled; it takes a value only under the projection \"" +
                  std::string(OptionsDialog::kLambertConic) + "\"");
    return;
  }
  if (!dialog.typeText(id, text)) {
    fault(id, "the field cannot be reached");
    return;
  }
  dialog.pressTab();
  if (const std::string why = takeMessage(); !why.empty()) {
    fault(id, "\"" + text + "\": " + why);
    dialog.revertEdit(id);
  }
}

DialogResult BatchOptionsView::runModal(OptionsDialog& dialog) {
  failed_ = false;
  message_.clear();
  for (size_t i = 0; i < kDialogControlCount; ++i) {
    const DialogControl& control = kDialogControls[i];
    if (control.id != kNoControl && isTabStop(control)) typeInto(dialog, control.id);
  }
  // OK checks the fields together; after a refused one that would judge values
  // nobody gave.
  if (!failed_ && !dialog.pressOk()) {
    const std::string why = takeMessage();
    fault(dialog.focus(), why.empty() ? "OK was refused" : why);
  }
  if (!failed_) return DialogResult::kOk;
  dialog.pressCancel();
  return DialogResult::kBadUsage;
}
