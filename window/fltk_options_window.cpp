#include "window/fltk_options_window.h"

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Check_Button.H>
#include <FL/Fl_Choice.H>
#include <FL/Fl_Double_Window.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_Return_Button.H>
#include <FL/fl_draw.H>
#include <FL/x.H>

#include <algorithm>
#include <cmath>
#include <string>

#include "options/options_dialog.h"
#include "window/hyperlink_widget.h"
#include "window/message_box.h"

namespace {

// What a control widget knows of its place in the dialog.
struct ControlTag {
  FltkOptionsWindow* owner;
  int id;
};

template <class Base>
class ControlWidget : public Base, public ControlTag {
 public:
  ControlWidget(FltkOptionsWindow& owner, int id, int x, int y, int w, int h, const char* label)
      : Base(x, y, w, h, label), ControlTag{&owner, id} {}

  int handle(int event) override {
    // A click that the model refuses must not reach the widget either: it would
    // tick a box or press OK while the focus is held by a bad entry.
    if ((event == FL_PUSH || event == FL_FOCUS) && !owner->requestFocus(id))
      return event == FL_PUSH ? 1 : 0;
    return Base::handle(event);
  }
};

// Keys that would move the focus go through the model, so that a refused move
// tries no other control (FLTK's own navigation would go on to the next one).
class DialogWindow : public Fl_Double_Window {
 public:
  DialogWindow(FltkOptionsWindow& owner, int w, int h, const char* title)
      : Fl_Double_Window(w, h, title), owner_(owner) {}

  int handle(int event) override {
    if (event == FL_KEYBOARD) {
      int key = Fl::event_key();
      if (key == FL_Tab || key == FL_Up || key == FL_Down || key == FL_Left || key == FL_Right) {
        owner_.navigate(key == FL_Up || key == FL_Left || (key == FL_Tab && Fl::event_shift()));
        return 1;
      }
    }
    return Fl_Double_Window::handle(event);
  }

 private:
  FltkOptionsWindow& owner_;
};

// Bitmap 130: a globe with its meridians and parallels.
class Picture : public Fl_Widget {
 public:
  Picture(int x, int y, int w, int h) : Fl_Widget(x, y, w, h) {}

  void draw() override {
    int d = std::min(w(), h()) - 4;
    int left = x() + (w() - d) / 2;
    int top = y() + (h() - d) / 2;
    fl_color(fl_rgb_color(70, 130, 180));
    fl_pie(left, top, d, d, 0, 360);
    fl_color(FL_WHITE);
    for (int i = 1; i < 4; ++i) {
      int ew = d * i / 4;
      fl_arc(left + (d - ew) / 2, top, ew, d, 0, 360);
    }
    double r = d / 2.0;
    for (int i = 1; i < 4; ++i) {
      double dy = d * i / 4.0 - r;
      int half = static_cast<int>(std::sqrt(r * r - dy * dy));
      int yy = top + static_cast<int>(r + dy);
      fl_line(left + static_cast<int>(r) - half, yy, left + static_cast<int>(r) + half, yy);
    }
    fl_color(FL_BLACK);
    fl_arc(left, top, d, d, 0, 360);
  }
};

FltkOptionsWindow* ownerOf(Fl_Widget* w, int& id) {
  auto* tag = dynamic_cast<ControlTag*>(w);
  id = tag->id;
  return tag->owner;
}

void listChanged(Fl_Widget* w, void*) {
  int id = 0;
  FltkOptionsWindow* owner = ownerOf(w, id);
  const Fl_Menu_Item* item = static_cast<Fl_Choice*>(w)->mvalue();
  if (!item || !owner->dialog()->selectListItem(id, item->label())) owner->controlChanged(id);
}

void editChanged(Fl_Widget* w, void*) {
  int id = 0;
  FltkOptionsWindow* owner = ownerOf(w, id);
  if (!owner->dialog()->typeText(id, static_cast<Fl_Input*>(w)->value())) owner->controlChanged(id);
}

void checkChanged(Fl_Widget* w, void*) {
  int id = 0;
  FltkOptionsWindow* owner = ownerOf(w, id);
  if (!owner->dialog()->setChecked(id, static_cast<Fl_Check_Button*>(w)->value() != 0))
    owner->controlChanged(id);
}

void okPressed(Fl_Widget* w, void*) {
  int id = 0;
  FltkOptionsWindow* owner = ownerOf(w, id);
  if (owner->dialog()->pressOk()) owner->window()->hide();
}

void cancelled(Fl_Widget*, void* data) {
  auto* owner = static_cast<FltkOptionsWindow*>(data);
  owner->dialog()->pressCancel();
  owner->window()->hide();
}

}  // namespace

FltkOptionsWindow::FltkOptionsWindow(ErrorSink errors) : errors_(std::move(errors)) {}

FltkOptionsWindow::~FltkOptionsWindow() = default;

Fl_Window* FltkOptionsWindow::window() const {
  return window_.get();
}

Fl_Widget* FltkOptionsWindow::widget(int id) const {
  auto found = widgets_.find(id);
  return found == widgets_.end() ? nullptr : found->second;
}

bool FltkOptionsWindow::openDisplay() {
  if (fl_display) return true;
  // FLTK would end the process when it cannot open the display itself.
  Display* display = XOpenDisplay(nullptr);
  if (!display) return false;
  fl_open_display(display);
  return true;
}

void FltkOptionsWindow::build() {
  window_ = std::make_unique<DialogWindow>(*this, 470, 485, kDialogTitle);
  auto label = [](int id) { return findDialogControl(id)->label; };

  auto list = [&](int id, int x, int y) {
    auto* choice = new ControlWidget<Fl_Choice>(*this, id, x, y, 220, 25, label(id));
    const std::vector<std::string>& items = dialog_->listItems(id);
    // Menu paths treat '/', '&' and '_' specially; the entries are set verbatim.
    for (size_t i = 0; i < items.size(); ++i)
      choice->replace(choice->add(("entry" + std::to_string(i)).c_str()), items[i].c_str());
    choice->callback(listChanged);
    widgets_[id] = choice;
  };
  auto edit = [&](int id, int x, int y, const char* text) {
    auto* input = new ControlWidget<Fl_Input>(*this, id, x, y, 155, 25, text);
    input->when(FL_WHEN_CHANGED);
    input->callback(editChanged);
    input->tooltip(findDialogControl(id)->name);
    widgets_[id] = input;
  };
  auto check = [&](int id, int x, int y, int w) {
    auto* box = new ControlWidget<Fl_Check_Button>(*this, id, x, y, w, 22, label(id));
    box->callback(checkChanged);
    widgets_[id] = box;
  };
  auto frame = [](int x, int y, int w, int h, const char* text) {
    auto* box = new Fl_Box(FL_ENGRAVED_FRAME, x, y, w, h, text);
    box->align(FL_ALIGN_TOP_LEFT);
  };

  // Tab order is the order of creation, as in the dialog template.
  new Picture(15, 15, 80, 80);
  list(kVersionList, 190, 20);
  frame(10, 125, 450, 210, "Real World Location");
  list(kProjectionList, 130, 135);
  list(kEllipsoidList, 130, 165);
  list(kUnitsList, 130, 195);
  new Fl_Box(130, 225, 155, 18, "Latitude");
  new Fl_Box(295, 225, 155, 18, "Longitude");
  edit(kOriginLatEdit, 130, 245, label(kOriginLatEdit));
  edit(kOriginLonEdit, 295, 245, nullptr);
  edit(kLambertUpperEdit, 130, 275, label(kLambertUpperEdit));
  edit(kLambertLowerEdit, 130, 305, label(kLambertLowerEdit));
  frame(10, 360, 450, 70, "Options");
  check(kCopyTexturesCheck, 20, 368, 320);
  check(kAutoGroupCheck, 20, 398, 150);
  check(kAutoObjectCheck, 180, 398, 150);
  auto* ok = new ControlWidget<Fl_Return_Button>(*this, kOkButton, 280, 445, 80, 28, "OK");
  ok->callback(okPressed);
  widgets_[kOkButton] = ok;
  // Cancel ends the dialog without the check of the edit being left.
  auto* cancel = new Fl_Button(370, 445, 80, 28, "Cancel");
  cancel->callback(cancelled, this);
  widgets_[kCancelButton] = cancel;
  auto* link = new HyperlinkWidget(190, 60, 150, 20, label(kHyperlinkControl),
                                   dialog_->linkTarget(), linkOpener_);
  // The link's failure is one more of the window's messages, in the same box.
  link->setFailureSink([this](const std::string& message) {
    showMessage({window_->label(), messageLines(message)});
  });
  widgets_[kHyperlinkControl] = link;
  window_->end();
  window_->callback(cancelled, this);
  window_->set_modal();
}

DialogResult FltkOptionsWindow::runModal(OptionsDialog& dialog) {
  if (!openDisplay()) {
    if (errors_)
      errors_("cannot show the options window: no display (use the terminal or batch dialog)");
    dialog.pressCancel();
    return DialogResult::kBadUsage;
  }
  dialog_ = &dialog;
  build();
  for (const auto& entry : widgets_) controlChanged(entry.first);
  window_->show();
  syncFocus();
  if (shownHook_) shownHook_(*this);
  while (window_->shown()) Fl::wait();

  if (!dialog.closed()) dialog.pressCancel();
  widgets_.clear();
  window_.reset();
  dialog_ = nullptr;
  // The export runs next, with no event loop to send the unmap: the window would
  // stay on the screen, frozen, until the process ends.
  XSync(fl_display, False);
  return dialog.result();
}

void FltkOptionsWindow::controlChanged(int id) {
  Fl_Widget* w = widget(id);
  if (!w || !dialog_) return;
  const DialogControl* control = findDialogControl(id);
  switch (control->kind) {
    case ControlKind::kDropDownList: {
      auto* choice = static_cast<Fl_Choice*>(w);
      const std::vector<std::string>& items = dialog_->listItems(id);
      auto at = std::find(items.begin(), items.end(), dialog_->listSelection(id));
      choice->value(at == items.end() ? -1 : static_cast<int>(at - items.begin()));
      break;
    }
    case ControlKind::kEdit: {
      auto* input = static_cast<Fl_Input*>(w);
      if (dialog_->editText(id) != input->value()) input->value(dialog_->editText(id).c_str());
      if (dialog_->enabled(id))
        input->activate();
      else
        input->deactivate();
      break;
    }
    case ControlKind::kCheckBox:
      static_cast<Fl_Check_Button*>(w)->value(dialog_->checked(id) ? 1 : 0);
      break;
    default:
      break;
  }
}

void FltkOptionsWindow::syncFocus() {
  Fl_Widget* w = dialog_ ? widget(dialog_->focus()) : nullptr;
  if (w && Fl::focus() != w) w->take_focus();
}

void FltkOptionsWindow::focusReturned(int id) {
  syncFocus();
  if (auto* input = dynamic_cast<Fl_Input*>(widget(id))) input->position(input->size(), 0);
}

bool FltkOptionsWindow::requestFocus(int id) {
  if (!dialog_ || dialog_->focus() == id) return true;
  if (dialog_->moveFocus(id)) return true;
  syncFocus();
  return false;
}

void FltkOptionsWindow::navigate(bool backward) {
  if (!dialog_) return;
  // A refused move has shown its message and kept the focus; syncFocus follows it.
  static_cast<void>(dialog_->pressTab(backward));
  syncFocus();
}

void FltkOptionsWindow::showMessage(const MessageDialog& message) {
  showMessageBox(message.title, message.lines, messageHook_);
}
