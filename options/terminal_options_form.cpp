#include "options/terminal_options_form.h"

#include <algorithm>
#include <cctype>
#include <vector>

#include "options/options_dialog.h"

namespace {

std::string trimmed(const std::string& text) {
  size_t begin = text.find_first_not_of(" \t\r");
  if (begin == std::string::npos) return "";
  return text.substr(begin, text.find_last_not_of(" \t\r") - begin + 1);
}

std::string lowered(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

// The fields in tab order, without the two buttons.
std::vector<int> formFields() {
  std::vector<int> fields;
  for (size_t i = 0; i < kDialogControlCount; ++i) {
    const DialogControl& control = kDialogControls[i];
    if (isTabStop(control) && control.kind != ControlKind::kPushButton)
      fields.push_back(control.id);
  }
  return fields;
}

}  // namespace

void TerminalOptionsForm::showMessage(const MessageDialog& message) {
  out_ << "\n*** " << message.title << " ***\n";
  for (const std::string& line : message.lines) out_ << line << '\n';
  out_ << '\n';
}

bool TerminalOptionsForm::ask(const std::string& prompt, std::string& answer) {
  out_ << prompt << std::flush;
  if (!std::getline(in_, answer)) {
    out_ << "\n(end of input: cancelled)\n";
    return false;
  }
  answer = trimmed(answer);
  return true;
}

bool TerminalOptionsForm::askList(OptionsDialog& dialog, int id, bool& done) {
  const std::vector<std::string>& items = dialog.listItems(id);
  out_ << " ";
  for (size_t i = 0; i < items.size(); ++i) out_ << ' ' << i + 1 << ") " << items[i];
  out_ << '\n';
  std::string answer;
  if (!ask(std::string(findDialogControl(id)->name) + " [" + dialog.listSelection(id) + "]: ",
           answer))
    return false;
  done = true;
  if (answer.empty()) return true;
  const std::string* entry = dialog.findListEntry(id, answer);
  if (!entry && answer.find_first_not_of("0123456789") == std::string::npos && answer.size() < 4) {
    size_t n = std::stoul(answer);
    if (n >= 1 && n <= items.size()) entry = &items[n - 1];
  }
  if (!entry) {
    out_ << "No entry \"" << answer << "\": type its number or its text.\n";
    done = false;
    return true;
  }
  // A refusal has shown its message and put the focus where the form asks next.
  static_cast<void>(dialog.selectListItem(id, *entry));
  return true;
}

bool TerminalOptionsForm::askEdit(OptionsDialog& dialog, int id, bool& done) {
  std::string answer;
  if (!ask(std::string(findDialogControl(id)->name) + " [" + dialog.editText(id) + "]: ", answer))
    return false;
  if (!answer.empty()) static_cast<void>(dialog.typeText(id, answer));  // as for lists
  done = true;
  return true;
}

bool TerminalOptionsForm::askCheck(OptionsDialog& dialog, int id, bool& done) {
  std::string answer;
  if (!ask(std::string(findDialogControl(id)->name) + " [" + (dialog.checked(id) ? "yes" : "no") +
               "] (y/n): ",
           answer))
    return false;
  answer = lowered(answer);
  done = true;
  if (answer == "y" || answer == "yes")
    static_cast<void>(dialog.setChecked(id, true));  // as for lists
  else if (answer == "n" || answer == "no")
    static_cast<void>(dialog.setChecked(id, false));
  else if (!answer.empty())
    done = false;
  return true;
}

DialogResult TerminalOptionsForm::runModal(OptionsDialog& dialog) {
  const std::vector<int> fields = formFields();
  auto positionOf = [&](int id) {
    return static_cast<size_t>(std::find(fields.begin(), fields.end(), id) - fields.begin());
  };
  out_ << kDialogTitle << "  (" << findDialogControl(kHyperlinkControl)->label << ": "
       << dialog.linkTarget() << ")\nPress Enter to keep a value.\n";

  size_t at = 0;
  while (true) {
    while (at < fields.size()) {
      int id = fields[at];
      if (!dialog.enabled(id)) {
        out_ << findDialogControl(id)->name << " [" << dialog.editText(id)
             << "] (disabled: the projection is not " << OptionsDialog::kLambertConic << ")\n";
        ++at;
        continue;
      }
      // Moving on leaves the previous edit; a refused entry brings its field back.
      if (!dialog.moveFocus(id)) {
        at = positionOf(dialog.focus());
        continue;
      }
      const DialogControl& control = *findDialogControl(id);
      bool done = false;
      bool more = control.kind == ControlKind::kDropDownList ? askList(dialog, id, done)
                  : control.kind == ControlKind::kEdit       ? askEdit(dialog, id, done)
                                                             : askCheck(dialog, id, done);
      if (!more) {
        dialog.pressCancel();
        return DialogResult::kCancel;
      }
      if (done) ++at;
    }
    std::string answer;
    if (!ask("OK, Cancel or Edit again? [OK] (o/c/e): ", answer)) {
      dialog.pressCancel();
      return DialogResult::kCancel;
    }
    answer = lowered(answer);
    if (answer.empty() || answer == "o" || answer == "ok") {
      if (dialog.pressOk()) return DialogResult::kOk;
      at = positionOf(dialog.focus());
    } else if (answer == "c" || answer == "cancel") {
      dialog.pressCancel();
      return DialogResult::kCancel;
    } else if (answer == "e" || answer == "edit") {
      at = 0;
    }
  }
}
