#include "window/hyperlink_widget.h"

#include <FL/Fl.H>
#include <FL/Fl_Window.H>
#include <FL/fl_draw.H>
#include <FL/x.H>

#include "window/message_box.h"

HyperlinkWidget::HyperlinkWidget(int x, int y, int w, int h, const char* text,
                                 const std::string& target, Hyperlink::Opener opener)
    : Fl_Widget(x, y, w, h), link_(highlightColor(), std::move(opener)) {
  align(FL_ALIGN_LEFT | FL_ALIGN_INSIDE);
  link_.setView(this);
  link_.setLinkTarget(target);
  link_.attach(text ? text : "");
  copy_label(link_.text().c_str());
  copy_tooltip(link_.tooltip().c_str());
}

LinkColor HyperlinkWidget::highlightColor() {
  unsigned char r = 0, g = 0, b = 0;
  Fl::get_color(FL_SELECTION_COLOR, r, g, b);
  return {r, g, b};
}

void HyperlinkWidget::setLinkTarget(const std::string& target) {
  link_.setLinkTarget(target);
  copy_tooltip(link_.tooltip().c_str());
}

int HyperlinkWidget::handle(int event) {
  switch (event) {
    case FL_ENTER:
      link_.mouseMove(true);
      updateCursor();
      return 1;  // so that moves and the leave come here
    case FL_MOVE:
      link_.mouseMove(Fl::event_inside(this) != 0);
      updateCursor();
      return 1;
    case FL_LEAVE:
      link_.mouseMove(false);
      updateCursor();
      return 1;
    case FL_PUSH:
      return 1;
    case FL_RELEASE:
      if (Fl::event_inside(this)) static_cast<void>(link_.click());  // reports its own failure
      return 1;
    case FL_SHOW:
      // Made before the display opened: measure now.
      if (link_.fitsToText()) fitToText();
      return Fl_Widget::handle(event);
    default:
      return Fl_Widget::handle(event);
  }
}

void HyperlinkWidget::updateCursor() {
  if (Fl_Window* win = window())
    win->cursor(link_.cursor() == LinkCursor::kHand ? FL_CURSOR_HAND : FL_CURSOR_DEFAULT);
}

void HyperlinkWidget::draw() {
  // No box: the parent's background shows through, as the static's null brush.
  const LinkColor c = link_.textColor();
  const Fl_Color color = fl_rgb_color(c.r, c.g, c.b);
  fl_font(labelfont(), labelsize());
  const char* text = link_.text().c_str();
  const int tw = static_cast<int>(fl_width(text));
  const int th = fl_height();
  int tx = x();
  if (!(align() & FL_ALIGN_LEFT))
    tx = align() & FL_ALIGN_RIGHT ? x() + w() - tw : x() + (w() - tw) / 2;
  int top = y() + (h() - th) / 2;
  if (align() & FL_ALIGN_TOP)
    top = y();
  else if (align() & FL_ALIGN_BOTTOM)
    top = y() + h() - th;
  const int baseline = top + th - fl_descent();
  fl_push_clip(x(), y(), w(), h());
  fl_color(active_r() ? color : fl_inactive(color));
  fl_draw(text, tx, baseline);
  if (link_.underline()) fl_line(tx, baseline + 1, tx + tw - 1, baseline + 1);
  fl_pop_clip();
}

void HyperlinkWidget::repaint() {
  // Erase as well: the background behind the old color is drawn again.
  if (Fl_Window* win = window())
    win->damage(FL_DAMAGE_ALL, x(), y(), w(), h());
  else
    redraw();
}

void HyperlinkWidget::fitToText() {
  if (!fl_display) return;  // nothing to measure with before the display opens
  fl_font(labelfont(), labelsize());
  const int tw = static_cast<int>(fl_width(link_.text().c_str())) + 1;
  const int th = fl_height() + 1;  // the underline sits below the descent's top row
  int nx = x();
  if (!(align() & FL_ALIGN_LEFT))
    nx = align() & FL_ALIGN_RIGHT ? x() + w() - tw : x() + (w() - tw) / 2;
  int ny = y();
  if (!(align() & (FL_ALIGN_TOP | FL_ALIGN_BOTTOM))) ny = y() + (h() - th) / 2;
  repaint();  // the old area
  resize(nx, ny, tw, th);
  repaint();
}

void HyperlinkWidget::openFailed(const std::string& message) {
  if (!failures_) {
    const Fl_Window* parent = window();
    showMessageBox(parent && parent->label() ? parent->label() : "", messageLines(message));
    return;
  }
  failures_(message);
}
