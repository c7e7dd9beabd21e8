#pragma once
// The dialog's web link without a toolkit: what it shows (text, color by state,
// underline, hand cursor, tooltip), how it follows the mouse, and what a click
// does, with the message of a failed open. A view draws it and feeds it events.

#include <cstdint>
#include <functional>
#include <string>

struct LinkColor {
  uint8_t r = 0;
  uint8_t g = 0;
  uint8_t b = 0;

  constexpr bool operator==(const LinkColor& o) const { return r == o.r && g == o.g && b == o.b; }
  constexpr bool operator!=(const LinkColor& o) const { return !(*this == o); }
};

inline constexpr LinkColor kLinkColor{0, 0, 238};
inline constexpr LinkColor kVisitedLinkColor{85, 26, 139};

enum class LinkCursor { kArrow, kHand };

// The listed text of an open result ("Unknown Error (12) occurred." for 12).
std::string openErrorText(int result);
// The whole message box text of a failed open: the heading, then that text.
std::string openErrorMessage(int result);

class HyperlinkView {
 public:
  virtual ~HyperlinkView() = default;
  // The color or text changed: redraw the control and what lies behind it.
  virtual void repaint() = 0;
  // Resize the control round its text, if it fits to text.
  virtual void fitToText() = 0;
  // A failed open: the exclamation beep, then a message box with `message`.
  virtual void openFailed(const std::string& message) = 0;
};

class Hyperlink {
 public:
  // Opens a target in the browser; a result above 32 is success.
  using Opener = std::function<int(const std::string& target)>;
  static constexpr const char* kErrorHeading = "Unable to open hyperlink:\n\n";

  // `hoverColor`: the desktop's highlight color as the view reads it when it
  // builds the control.
  explicit Hyperlink(LinkColor hoverColor, Opener opener = {});

  // The view hears of every change from here on; null for none.
  void setView(HyperlinkView* view) { view_ = view; }
  // The control now exists and shows `windowText`. An empty target becomes that
  // text; an empty text shows the target. The tooltip shows the target.
  void attach(const std::string& windowText);

  void setLinkTarget(const std::string& target);
  void setVisited(bool visited);
  // The mouse moved, into (`inside`) or out of the control.
  void mouseMove(bool inside);
  // Opens the target: visited on success; otherwise not visited, and the view
  // reports the failure. Returns the open result.
  [[nodiscard]] int click();

  const std::string& linkTarget() const { return target_; }
  const std::string& text() const { return text_; }
  // Empty until the control exists.
  const std::string& tooltip() const { return tooltip_; }
  bool attached() const { return attached_; }
  bool over() const { return over_; }
  bool visited() const { return visited_; }
  bool underline() const { return underline_; }
  bool fitsToText() const { return fitToText_; }
  LinkColor hoverColor() const { return hoverColor_; }
  // Hover beats visited, visited beats the plain link color.
  LinkColor textColor() const;
  // The hand while the mouse is over the link.
  LinkCursor cursor() const { return over_ ? LinkCursor::kHand : LinkCursor::kArrow; }

 private:
  void repaint() {
    if (view_ && attached_) view_->repaint();
  }

  LinkColor hoverColor_;
  Opener opener_;
  HyperlinkView* view_ = nullptr;
  bool over_ = false;
  bool visited_ = false;
  bool underline_ = true;
  bool fitToText_ = true;
  bool attached_ = false;
  std::string target_;
  std::string text_;
  std::string tooltip_;
};
