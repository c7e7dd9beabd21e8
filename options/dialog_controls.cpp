#include "options/dialog_controls.h"

const DialogControl kDialogControls[] = {
    {kVersionList, ControlKind::kDropDownList, "Version:", "Version"},
    {kNoControl, ControlKind::kGroupBox, "Real World Location", "Real World Location"},
    {kProjectionList, ControlKind::kDropDownList, "Projection:", "Projection"},
    {kEllipsoidList, ControlKind::kDropDownList, "Ellipsoid:", "Ellipsoid"},
    {kUnitsList, ControlKind::kDropDownList, "Units:", "Units"},
    {kNoControl, ControlKind::kLabel, "Latitude", "Latitude"},
    {kNoControl, ControlKind::kLabel, "Longitude", "Longitude"},
    {kOriginLatEdit, ControlKind::kEdit, "Origin:", "Origin Latitude"},
    {kOriginLonEdit, ControlKind::kEdit, "Origin:", "Origin Longitude"},
    {kLambertUpperEdit, ControlKind::kEdit, "Lambert Upper:", "Lambert Upper"},
    {kLambertLowerEdit, ControlKind::kEdit, "Lambert Lower:", "Lambert Lower"},
    {kNoControl, ControlKind::kGroupBox, "Options", "Options"},
    {kCopyTexturesCheck, ControlKind::kCheckBox, "Copy Textures to Output Directory",
     "Copy Textures to Output Directory"},
    {kAutoGroupCheck, ControlKind::kCheckBox, "Auto Group", "Auto Group"},
    {kAutoObjectCheck, ControlKind::kCheckBox, "Auto Object", "Auto Object"},
    {kOkButton, ControlKind::kPushButton, "OK", "OK"},
    {kCancelButton, ControlKind::kPushButton, "Cancel", "Cancel"},
    {kNoControl, ControlKind::kBitmap, "", "Picture"},
    {kHyperlinkControl, ControlKind::kHyperlink, "Visit our Website", "Visit our Website"},
};
const size_t kDialogControlCount = sizeof kDialogControls / sizeof kDialogControls[0];

const DialogControl* findDialogControl(int id) {
  if (id == kNoControl) return nullptr;
  for (const DialogControl& control : kDialogControls)
    if (control.id == id) return &control;
  return nullptr;
}

bool isTabStop(const DialogControl& control) {
  switch (control.kind) {
    case ControlKind::kDropDownList:
    case ControlKind::kEdit:
    case ControlKind::kCheckBox:
    case ControlKind::kPushButton:
      return true;
    default:
      return false;
  }
}
