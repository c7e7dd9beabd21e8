#pragma once
// The options dialog as an FLTK window: drop-down lists, edits, check boxes,
// OK and Cancel, the picture and the web link, with modal message boxes.
// Every user action goes through the dialog model, which may refuse it.

#include <functional>
#include <map>
#include <memory>
#include <string>

#include "options/hyperlink.h"
#include "options/options_view.h"

class Fl_Double_Window;
class Fl_Widget;
class Fl_Window;

class FltkOptionsWindow : public OptionsView {
 public:
  using ErrorSink = std::function<void(const std::string&)>;

  // `errors` hears why the window could not be shown (no display).
  explicit FltkOptionsWindow(ErrorSink errors = {});
  ~FltkOptionsWindow() override;

  DialogResult runModal(OptionsDialog& dialog) override;
  void showMessage(const MessageDialog& message) override;
  void controlChanged(int id) override;
  void focusReturned(int id) override;

  // Run once the window, or a message box, is on screen and before its modal
  // loop starts: a test drives the widgets there and closes what it opened.
  void setShownHook(std::function<void(FltkOptionsWindow&)> hook) { shownHook_ = std::move(hook); }
  void setMessageHook(std::function<void(Fl_Window&)> hook) { messageHook_ = std::move(hook); }
  // How the web link opens its target (the browser when empty); set before runModal.
  void setLinkOpener(Hyperlink::Opener opener) { linkOpener_ = std::move(opener); }

  // While the dialog runs: the window, and the widget of control `id` (or null).
  Fl_Window* window() const;
  Fl_Widget* widget(int id) const;

  // The control widgets ask before they take the focus or a click; a refused
  // request has shown its message and put the focus back where the model says.
  [[nodiscard]] bool requestFocus(int id);
  // Tab and Shift+Tab move through the model, which may keep the focus.
  void navigate(bool backward);
  OptionsDialog* dialog() const { return dialog_; }

 private:
  [[nodiscard]] static bool openDisplay();
  void build();
  void syncFocus();

  ErrorSink errors_;
  std::function<void(FltkOptionsWindow&)> shownHook_;
  std::function<void(Fl_Window&)> messageHook_;
  Hyperlink::Opener linkOpener_;
  OptionsDialog* dialog_ = nullptr;
  std::unique_ptr<Fl_Double_Window> window_;
  std::map<int, Fl_Widget*> widgets_;
};
