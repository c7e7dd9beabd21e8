#pragma once
// The widget that shows control 1014, "Visit our Website", in the dialog window.
// The window asks this one function for it, so the hyperlink control can take
// its place without the window knowing its class.

#include <string>

class Fl_Widget;

// A widget in the current FLTK group showing `text` and leading to `target`.
Fl_Widget* makeLinkWidget(int x, int y, int w, int h, const char* text, const std::string& target);
