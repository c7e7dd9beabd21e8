#pragma once
// The dialog's modal messages, each with one "OK" button.

#include <string>
#include <vector>

struct MessageDialog {
  std::string title;
  std::vector<std::string> lines;
};

extern const MessageDialog kBadCoordinateFormat;
extern const MessageDialog kBadLatitudeRange;
extern const MessageDialog kBadLongitudeRange;
extern const MessageDialog kBadLambertParallels;
