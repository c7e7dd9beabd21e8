#pragma once
// The web link as an FLTK widget: the hyperlink's text in its state's color,
// underlined, on the parent's background, with the hand cursor over it, the
// target as its tooltip, and the link opened on a click.

#include <FL/Fl_Widget.H>

#include <functional>
#include <string>

#include "options/hyperlink.h"

class HyperlinkWidget : public Fl_Widget, private HyperlinkView {
 public:
  // Hears a failed open's message; the default shows the message box, which beeps.
  using FailureSink = std::function<void(const std::string& message)>;

  // Shows `text` (the target when empty) leading to `target` (the text when
  // empty), fitted to the text once a display is open.
  HyperlinkWidget(int x, int y, int w, int h, const char* text, const std::string& target,
                  Hyperlink::Opener opener = {});

  const Hyperlink& link() const { return link_; }
  void setLinkTarget(const std::string& target);
  void setVisited(bool visited) { link_.setVisited(visited); }
  void setFailureSink(FailureSink sink) { failures_ = std::move(sink); }

  int handle(int event) override;
  void draw() override;

  // The desktop's highlight color, as FLTK shows selections.
  static LinkColor highlightColor();

 private:
  void repaint() override;
  void fitToText() override;
  void openFailed(const std::string& message) override;
  void updateCursor();

  Hyperlink link_;
  FailureSink failures_;
};
