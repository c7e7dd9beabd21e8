#include "options/options_dialog.h"

#include <algorithm>
#include <cassert>

#include "attributes/attr_registry.h"
#include "flt/header.h"
#include "options/export_options.h"
#include "options/geo_coordinate.h"

const char* const OptionsDialog::kWebAddress = "https://zorvel.example.org/";

namespace {

constexpr int kListIds[] = {kVersionList, kProjectionList, kEllipsoidList, kUnitsList};
constexpr const char* kListKeys[] = {"FltVersion", "FltProjection", "FltEllipsoid", "FltUnits"};
constexpr int kEditIds[] = {kOriginLatEdit, kOriginLonEdit, kLambertUpperEdit, kLambertLowerEdit};

bool isEdit(int id) {
  return id >= kOriginLatEdit && id <= kLambertLowerEdit;
}
bool isLatitudeEdit(int id) {
  return isEdit(id) && id != kOriginLonEdit;
}

std::string formatCoordinate(int id, double value) {
  GeoCoordinate c;
  c.setDecimalDegrees(value);
  return isLatitudeEdit(id) ? c.formatLatitude() : c.formatLongitude();
}

bool inRange(int id, double value) {
  return isLatitudeEdit(id) ? GeoCoordinate::latitudeInRange(value)
                            : GeoCoordinate::longitudeInRange(value);
}

std::string firstLine(const std::string& text, size_t limit) {
  std::string line = text.substr(0, text.find_first_of("\r\n"));
  if (line.size() > limit) line.resize(limit);
  return line;
}

}  // namespace

OptionList OptionsDialog::listOf(int id) {
  return kOptionLists[listIndex(id)];
}

const OptionListEntry* OptionsDialog::listEnumeration(int id) {
  const AttrDescriptor* row =
      findAttribute(findAttrTableSet(FltHeader::kOpcode), kListKeys[listIndex(id)]);
  return row ? row->enumeration : nullptr;
}

size_t OptionsDialog::listIndex(int id) {
  assert(id >= kVersionList && id <= kUnitsList);
  return static_cast<size_t>(id - kVersionList);
}

size_t OptionsDialog::editIndex(int id) {
  assert(isEdit(id));
  return static_cast<size_t>(id - kOriginLatEdit);
}

size_t OptionsDialog::checkIndex(int id) {
  switch (id) {
    case kCopyTexturesCheck:
      return 0;
    case kAutoGroupCheck:
      return 1;
    default:
      assert(id == kAutoObjectCheck);
      return 2;
  }
}

OptionsDialog::OptionsDialog(ExportOptions& options, OptionsView& view) : view_(view) {
  if (options.version < kMinimumVersion) options.version = kMinimumVersion;

  const int32_t values[] = {options.version, options.projection, options.ellipsoid, options.units};
  for (size_t i = 0; i < lists_.size(); ++i) {
    lists_[i].items = optionListTexts(listOf(kListIds[i]));
    const char* name = enumNameOf(listEnumeration(kListIds[i]), values[i]);
    const auto& items = lists_[i].items;
    if (name && std::find(items.begin(), items.end(), name) != items.end())
      lists_[i].selection = name;
  }

  const double coordinates[] = {options.originLatitude, options.originLongitude,
                                options.upperLambertLatitude, options.lowerLambertLatitude};
  for (size_t i = 0; i < edits_.size(); ++i)
    edits_[i].text = edits_[i].accepted = formatCoordinate(kEditIds[i], coordinates[i]);

  linkTarget_ = kWebAddress;
  updateLambertEnabled();
}

OptionListMatch OptionsDialog::matchListEntry(int id, const std::string& text) const {
  return matchOptionListText(listOf(id), text);
}

bool OptionsDialog::enabled(int id) const {
  return isEdit(id) ? edit(id).enabled : true;
}

void OptionsDialog::updateLambertEnabled() {
  bool on = list(kProjectionList).selection == kLambertConic;
  for (int id : {kLambertUpperEdit, kLambertLowerEdit}) {
    Edit& e = edits_[editIndex(id)];
    if (e.enabled == on) continue;
    e.enabled = on;
    view_.controlChanged(id);
  }
}

void OptionsDialog::setEditText(int id, const std::string& text) {
  Edit& e = edits_[editIndex(id)];
  e.text = text;
  e.modified = false;
  view_.controlChanged(id);
}

void OptionsDialog::refuse(const MessageDialog& message, int id) {
  view_.showMessage(message);
  focus_ = id;
  view_.focusReturned(id);
}

bool OptionsDialog::leaveEdit(int id) {
  if (!edit(id).modified) return true;
  GeoCoordinate c;
  if (!c.parse(edit(id).text)) {
    refuse(kBadCoordinateFormat, id);
    return false;
  }
  bool latitude = isLatitudeEdit(id);
  setEditText(id, latitude ? c.formatLatitude() : c.formatLongitude());
  if (!inRange(id, c.decimalValue())) {
    refuse(latitude ? kBadLatitudeRange : kBadLongitudeRange, id);
    return false;
  }
  edits_[editIndex(id)].accepted = edit(id).text;
  return true;
}

bool OptionsDialog::moveFocus(int id) {
  if (closed_) return false;
  const DialogControl* control = findDialogControl(id);
  if (!control || !isTabStop(*control) || !enabled(id)) return false;
  if (id == focus_) return true;
  if (isEdit(focus_) && !leaveEdit(focus_)) return false;
  focus_ = id;
  return true;
}

bool OptionsDialog::pressTab(bool backward) {
  size_t at = 0;
  while (at < kDialogControlCount && kDialogControls[at].id != focus_) ++at;
  for (size_t step = 1; step <= kDialogControlCount; ++step) {
    size_t offset = backward ? kDialogControlCount - step : step;
    const DialogControl& next = kDialogControls[(at + offset) % kDialogControlCount];
    if (isTabStop(next) && enabled(next.id)) return moveFocus(next.id);
  }
  return false;
}

bool OptionsDialog::selectListItem(int id, const std::string& text) {
  List& l = lists_[listIndex(id)];
  if (!moveFocus(id)) return false;
  if (std::find(l.items.begin(), l.items.end(), text) == l.items.end()) return false;
  if (l.selection == text) return true;
  l.selection = text;
  view_.controlChanged(id);
  if (id == kProjectionList) updateLambertEnabled();
  return true;
}

bool OptionsDialog::typeText(int id, const std::string& text) {
  Edit& e = edits_[editIndex(id)];
  if (!e.enabled || !moveFocus(id)) return false;
  e.text = text;
  e.modified = true;
  view_.controlChanged(id);
  return true;
}

void OptionsDialog::revertEdit(int id) {
  Edit& e = edits_[editIndex(id)];
  if (e.text == e.accepted && !e.modified) return;
  setEditText(id, e.accepted);
}

bool OptionsDialog::setChecked(int id, bool on) {
  bool& check = checks_[checkIndex(id)];
  if (!moveFocus(id)) return false;
  if (check != on) {
    check = on;
    view_.controlChanged(id);
  }
  return true;
}

bool OptionsDialog::checkCoordinateOnOk(int id) {
  GeoCoordinate c;
  if (!c.parse(edit(id).text)) {
    refuse(kBadCoordinateFormat, id);
    return false;
  }
  if (!inRange(id, c.decimalValue())) {
    refuse(isLatitudeEdit(id) ? kBadLatitudeRange : kBadLongitudeRange, id);
    return false;
  }
  return true;
}

bool OptionsDialog::pressOk() {
  if (!moveFocus(kOkButton)) return false;
  // Leaving an edit checks it only once per change, and Enter presses OK without
  // leaving it: so every field the user can still reach is checked again here.
  for (int id : kEditIds)
    if (enabled(id) && !checkCoordinateOnOk(id)) return false;
  if (list(kProjectionList).selection == kLambertConic) {
    double upper = GeoCoordinate::parseDecimalDegrees(
        firstLine(edit(kLambertUpperEdit).text, kLambertTextLimit));
    double lower = GeoCoordinate::parseDecimalDegrees(
        firstLine(edit(kLambertLowerEdit).text, kLambertTextLimit));
    if (GeoCoordinate::lambertParallelsClash(upper, lower)) {
      refuse(kBadLambertParallels, kLambertUpperEdit);
      return false;
    }
  }
  closed_ = true;
  result_ = DialogResult::kOk;
  return true;
}

void OptionsDialog::pressCancel() {
  if (closed_) return;
  closed_ = true;
  result_ = DialogResult::kCancel;
}

void OptionsDialog::apply(ExportOptions& options) const {
  assert(closed_ && result_ == DialogResult::kOk);
  int32_t* values[] = {&options.version, &options.projection, &options.ellipsoid, &options.units};
  for (size_t i = 0; i < lists_.size(); ++i)
    // A selection is always one of its list's entries, so always found.
    static_cast<void>(
        enumValueOf(listEnumeration(kListIds[i]), lists_[i].selection.c_str(), values[i]));

  double* coordinates[] = {&options.originLatitude, &options.originLongitude,
                           &options.upperLambertLatitude, &options.lowerLambertLatitude};
  for (size_t i = 0; i < edits_.size(); ++i) {
    // Only a disabled Lambert edit can still hold a bad entry here: it does not
    // count under the projection shown, so the previous value stays.
    GeoCoordinate c;
    if (c.parse(edits_[i].text) && inRange(kEditIds[i], c.decimalValue()))
      *coordinates[i] = c.decimalValue();
  }

  options.copyTextures = checks_[0];
  options.autoGroup = checks_[1];
  options.autoObject = checks_[2];
}

DialogResult runOptionsDialog(ExportOptions& options, OptionsView& view) {
  OptionsDialog dialog(options, view);
  DialogResult result = view.runModal(dialog);
  if (result == DialogResult::kBadUsage) return result;
  if (!dialog.closed() || dialog.result() != DialogResult::kOk) return DialogResult::kCancel;
  dialog.apply(options);
  return DialogResult::kOk;
}
