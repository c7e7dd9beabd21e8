#include "options/hyperlink.h"

#include <cstdio>

#include "options/link_opener.h"

std::string openErrorText(int result) {
  switch (result) {
    case 0:
      return "The operating system is out\nof memory or resources.";
    case 2:
      return "The specified file was not found.";
    case 3:
      return "The specified path was not found.";
    case 5:
      return "The operating system denied\naccess to the specified file.";
    case 8:
      return "There was not enough memory to complete the operation.";
    case 11:
      return "The .EXE file is invalid\n(non-Win32 .EXE or error in .EXE image).";
    case 26:
      return "A sharing violation occurred. ";
    case 27:
      return "The filename association is\nincomplete or invalid.";
    case 28:
      return "The DDE transaction could not\nbe completed because the request timed out.";
    case 29:
      return "The DDE transaction failed.";
    case 30:
      return "The DDE transaction could not\nbe completed because other DDE transactions\nwere "
             "being processed.";
    case 31:
      return "There is no application associated\nwith the given filename extension.";
    case 32:
      return "The specified dynamic-link library was not found.";
    default:
      break;
  }
  char text[64];
  std::snprintf(text, sizeof text, "Unknown Error (%d) occurred.", result);
  return text;
}

std::string openErrorMessage(int result) {
  return std::string(Hyperlink::kErrorHeading) + openErrorText(result);
}

Hyperlink::Hyperlink(LinkColor hoverColor, Opener opener)
    : hoverColor_(hoverColor), opener_(opener ? std::move(opener) : Opener(openLink)) {}

void Hyperlink::attach(const std::string& windowText) {
  if (target_.empty()) target_ = windowText;
  text_ = windowText.empty() ? target_ : windowText;
  tooltip_ = target_;
  attached_ = true;
  if (view_ && fitToText_) view_->fitToText();
}

void Hyperlink::setLinkTarget(const std::string& target) {
  target_ = target;
  if (!attached_) return;
  if (view_ && fitToText_) view_->fitToText();
  tooltip_ = target_;
}

void Hyperlink::setVisited(bool visited) {
  visited_ = visited;
  repaint();
}

void Hyperlink::mouseMove(bool inside) {
  if (inside == over_) return;
  over_ = inside;
  repaint();
}

int Hyperlink::click() {
  int result = opener_(target_);
  setVisited(result > 32);
  if (result <= 32 && view_) view_->openFailed(openErrorMessage(result));
  return result;
}

LinkColor Hyperlink::textColor() const {
  if (over_) return hoverColor_;
  return visited_ ? kVisitedLinkColor : kLinkColor;
}
