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
  messageShown_ = true;
  for (const std::string& line : message.lines) errors_ << line << '\n';
}

bool BatchOptionsView::refuse(int id, const std::string& why) {
  errors_ << findDialogControl(id)->name << ": " << why << '\n';
  return false;
}

bool BatchOptionsView::typeInto(OptionsDialog& dialog, int id) {
  if (const auto* text = textFor(values_, id); text && *text) {
    if (id >= kVersionList && id <= kUnitsList) {
      if (!dialog.moveFocus(id)) return false;
      const std::string* entry = dialog.findListEntry(id, **text);
      if (!entry)
        return refuse(id, "no entry \"" + **text + "\" (the list offers " +
                              joined(dialog.listItems(id)) + ")");
      return dialog.selectListItem(id, *entry);
    }
    if (!dialog.enabled(id))
      return refuse(id, "the field is disabled; it takes a value only under the projection \"" +
                            std::string(OptionsDialog::kLambertConic) + "\"");
    return dialog.typeText(id, **text) && dialog.pressTab();
  }
  if (const auto* tick = tickFor(values_, id); tick && *tick) return dialog.setChecked(id, **tick);
  return true;
}

DialogResult BatchOptionsView::runModal(OptionsDialog& dialog) {
  messageShown_ = false;
  for (size_t i = 0; i < kDialogControlCount; ++i) {
    const DialogControl& control = kDialogControls[i];
    if (control.id == kNoControl || !isTabStop(control)) continue;
    if (!typeInto(dialog, control.id) || messageShown_) return fail(dialog);
  }
  if (!dialog.pressOk() || messageShown_) return fail(dialog);
  return DialogResult::kOk;
}

DialogResult BatchOptionsView::fail(OptionsDialog& dialog) {
  // A message names the fault but not the field; the focus went back to it.
  if (messageShown_)
    errors_ << "(in the field " << findDialogControl(dialog.focus())->name << ")\n";
  dialog.pressCancel();
  return DialogResult::kBadUsage;
}
