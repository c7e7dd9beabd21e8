#include "progress/fltk_progress_window.h"

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Double_Window.H>
#include <FL/Fl_Progress.H>
#include <FL/x.H>

#include <algorithm>

namespace {

constexpr auto kPumpInterval = std::chrono::milliseconds(15);

bool openDisplay() {
  if (fl_display) return true;
  // FLTK would end the process when it cannot open the display itself.
  Display* display = XOpenDisplay(nullptr);
  if (!display) return false;
  fl_open_display(display);
  return true;
}

}  // namespace

FltkProgressWindow::FltkProgressWindow() = default;

FltkProgressWindow::~FltkProgressWindow() {
  close();
}

Fl_Window* FltkProgressWindow::window() const {
  return window_.get();
}

void FltkProgressWindow::build(const std::string& stage) {
  window_ = std::make_unique<Fl_Double_Window>(380, 112, "Export Progress");
  stage_ = new Fl_Box(15, 12, 350, 22);
  stage_->align(FL_ALIGN_LEFT | FL_ALIGN_INSIDE | FL_ALIGN_CLIP);
  stage_->copy_label(stage.c_str());
  bar_ = new Fl_Progress(15, 40, 350, 24);
  bar_->minimum(0);
  bar_->maximum(100);
  bar_->color(FL_BACKGROUND2_COLOR);
  bar_->selection_color(fl_rgb_color(110, 160, 210));
  cancel_ = new Fl_Button(285, 74, 80, 28, "Cancel");
  // Escape is every dialog's cancel; here it must not just close the window unseen.
  cancel_->shortcut(FL_Escape);
  cancel_->callback(onCancel, this);
  window_->end();
  window_->callback(onClose, this);
  setPercent(0);
}

bool FltkProgressWindow::show(const std::string& stage) {
  if (!openDisplay()) return false;
  cancelled_ = false;
  build(stage);
  window_->show();
  Fl::check();
  // On the screen when this returns: the first node may take a while.
  XSync(fl_display, False);
  lastPump_ = std::chrono::steady_clock::now();
  return true;
}

void FltkProgressWindow::setStage(const std::string& stage) {
  if (stage_ && stage != stage_->label()) stage_->copy_label(stage.c_str());
}

void FltkProgressWindow::setPercent(int percent) {
  if (!bar_) return;
  percent = std::clamp(percent, 0, 100);
  if (bar_->label() && int(bar_->value()) == percent) return;
  bar_->value(float(percent));
  bar_->copy_label((std::to_string(percent) + "%").c_str());
}

void FltkProgressWindow::pump() {
  if (!window_) return;
  const auto now = std::chrono::steady_clock::now();
  if (now - lastPump_ < kPumpInterval) return;
  lastPump_ = now;
  Fl::check();
}

void FltkProgressWindow::onCancel(Fl_Widget*, void* self) {
  auto* me = static_cast<FltkProgressWindow*>(self);
  me->cancelled_ = true;
  // The export stops at the next node; until then the press shows as taken.
  me->cancel_->deactivate();
  me->stage_->copy_label("Cancelling...");
}

void FltkProgressWindow::onClose(Fl_Widget*, void* self) {
  auto* me = static_cast<FltkProgressWindow*>(self);
  me->cancelled_ = true;
  me->window_->hide();
}

void FltkProgressWindow::close() {
  if (!window_) return;
  window_.reset();
  stage_ = nullptr;
  bar_ = nullptr;
  cancel_ = nullptr;
  if (fl_display) XSync(fl_display, False);
}
