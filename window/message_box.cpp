#include "window/message_box.h"

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Return_Button.H>
#include <FL/Fl_Window.H>
#include <FL/fl_ask.H>

#include <algorithm>

void showMessageBox(const std::string& title, const std::vector<std::string>& lines,
                    const std::function<void(Fl_Window&)>& shown) {
  const int lineHeight = 22;
  const int textLeft = 75;
  const int w = 560;
  const int textHeight = std::max(50, lineHeight * static_cast<int>(lines.size()));
  const int h = 20 + textHeight + 54;
  Fl_Window box(w, h);
  box.copy_label(title.c_str());
  // Drawn as FLTK's own alert draws its icon, so that every message shows the same one.
  auto* icon = new Fl_Box(15, 15, 50, 50, kMessageBoxIcon);
  icon->box(FL_THIN_UP_BOX);
  icon->labelfont(FL_TIMES_BOLD);
  icon->labelsize(34);
  icon->color(FL_WHITE);
  icon->labelcolor(FL_BLUE);
  for (size_t i = 0; i < lines.size(); ++i) {
    auto* line =
        new Fl_Box(textLeft, 15 + lineHeight * static_cast<int>(i), w - textLeft - 15, lineHeight);
    line->copy_label(lines[i].c_str());
    line->align(FL_ALIGN_LEFT | FL_ALIGN_INSIDE | FL_ALIGN_CLIP);
  }
  auto* ok = new Fl_Return_Button(w / 2 - 40, h - 42, 80, 28, "OK");
  ok->callback([](Fl_Widget* button, void*) { button->window()->hide(); });
  box.end();
  box.set_modal();
  fl_beep(FL_BEEP_ERROR);
  box.show();
  if (shown) shown(box);
  while (box.shown()) Fl::wait();
}

std::vector<std::string> messageLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
    lines.push_back(text.substr(start, end - start));
  lines.push_back(text.substr(start));
  return lines;
}
