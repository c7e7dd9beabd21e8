#include "options/link_widget.h"

#include "options/hyperlink_widget.h"

Fl_Widget* makeLinkWidget(int x, int y, int w, int h, const char* text, const std::string& target) {
  return new HyperlinkWidget(x, y, w, h, text, target);
}
