#pragma once
// The controls of the "OpenFlight Export" dialog: ids, kinds and labels, in
// template order, which is also the order a user tabs through them.

#include <cstddef>

enum DialogControlId : int {
  kNoControl = -1,
  kOkButton = 1,
  kCancelButton = 2,
  kOriginLatEdit = 1000,
  kOriginLonEdit = 1001,
  kLambertUpperEdit = 1002,
  kLambertLowerEdit = 1003,
  kVersionList = 1004,
  kProjectionList = 1005,
  kEllipsoidList = 1006,
  kUnitsList = 1007,
  kCopyTexturesCheck = 1009,
  kHyperlinkControl = 1014,
  kAutoGroupCheck = 1015,
  kAutoObjectCheck = 1016,
};

enum class ControlKind {
  kDropDownList,  // sorted
  kEdit,
  kCheckBox,
  kPushButton,
  kGroupBox,
  kLabel,
  kBitmap,
  kHyperlink,
};

struct DialogControl {
  int id;  // kNoControl for static decoration
  ControlKind kind;
  const char* label;  // as the template shows it
  const char* name;   // what the control is called in prompts and batch errors
};

inline constexpr const char* kDialogTitle = "OpenFlight Export";
inline constexpr int kDialogBitmapResource = 130;

extern const DialogControl kDialogControls[];
extern const size_t kDialogControlCount;

// The control with that id, or null.
const DialogControl* findDialogControl(int id);
// Controls a user can move the focus to, in tab order, including disabled ones.
bool isTabStop(const DialogControl& control);
