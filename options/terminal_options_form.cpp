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

std::string joined(const std::vector<std::string>& items) {
  std::string text;
  for (const std::string& item : items) text += (text.empty() ? "" : ", ") + item;
  return text;
}

}  // namespace

void TerminalOptionsForm::say(const std::string& text) {
  std::string line;
  size_t at = 0;
  while (at < text.size()) {
    size_t end = text.find(' ', at);
    if (end == std::string::npos) end = text.size();
    const std::string word = text.substr(at, end - at);
    if (!line.empty() && line.size() + 1 + word.size() > width_) {
      out_ << line << '\n';
      line.clear();
    }
    line += (line.empty() ? "" : " ") + word;
    at = end + 1;
  }
  out_ << line << '\n';
}

void TerminalOptionsForm::showChoices(const std::vector<std::string>& items) {
  const std::string indent = "  ";
  std::string line;
  for (size_t i = 0; i < items.size(); ++i) {
    const std::string item = std::to_string(i + 1) + ") " + items[i];
    if (!line.empty() && line.size() + indent.size() + item.size() > width_) {
      out_ << line << '\n';
      line.clear();
    }
    line += indent + item;
  }
  out_ << line << '\n';
}

void TerminalOptionsForm::showMessage(const MessageDialog& message) {
  out_ << '\n';
  say("*** " + message.title + " ***");
  for (const std::string& line : message.lines) say(line);
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
  showChoices(items);
  std::string answer;
  if (!ask(std::string(findDialogControl(id)->name) + " [" + dialog.listSelection(id) + "]: ",
           answer))
    return false;
  done = true;
  if (answer.empty()) return true;
  std::string entry;
  if (answer.find_first_not_of("0123456789") == std::string::npos && answer.size() < 4) {
    size_t n = std::stoul(answer);
    if (n >= 1 && n <= items.size()) entry = items[n - 1];
  }
  OptionListMatch match;
  if (entry.empty()) match = dialog.matchListEntry(id, answer);
  if (entry.empty()) entry = match.entry;
  if (entry.empty()) {
    say(match.candidates.empty()
            ? "No entry \"" + answer + "\": type its number, its text or the start of it."
            : "\"" + answer + "\" fits several entries (" + joined(match.candidates) +
                  "): type more of it, or its number.");
    done = false;
    return true;
  }
  dialog.selectListItem(id, entry);
  return true;
}

bool TerminalOptionsForm::askEdit(OptionsDialog& dialog, int id, bool& done) {
  std::string answer;
  if (!ask(std::string(findDialogControl(id)->name) + " [" + dialog.editText(id) + "]: ", answer))
    return false;
  if (!answer.empty()) dialog.typeText(id, answer);
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
    dialog.setChecked(id, true);
  else if (answer == "n" || answer == "no")
    dialog.setChecked(id, false);
  else if (!answer.empty()) {
    say("Answer y or yes, n or no; Enter keeps " + std::string(dialog.checked(id) ? "yes" : "no") +
        ".");
    done = false;
  }
  return true;
}

DialogResult TerminalOptionsForm::runModal(OptionsDialog& dialog) {
  const std::vector<int> fields = formFields();
  auto positionOf = [&](int id) {
    return static_cast<size_t>(std::find(fields.begin(), fields.end(), id) - fields.begin());
  };
  say(std::string(kDialogTitle) + "  (" + findDialogControl(kHyperlinkControl)->label + ": " +
      dialog.linkTarget() + ")");
  say("Press Enter to keep a value.");
  // A refused entry is not left in its field: the prompt offers the value before it.
  auto backToFault = [&] {
    int id = dialog.focus();
    if (findDialogControl(id)->kind == ControlKind::kEdit) dialog.revertEdit(id);
    return positionOf(id);
  };

  size_t at = 0;
  while (true) {
    while (at < fields.size()) {
      int id = fields[at];
      if (!dialog.enabled(id)) {
        say(std::string(findDialogControl(id)->name) + " [" + dialog.editText(id) +
            "] (disabled: the projection is not " + OptionsDialog::kLambertConic + ")");
        ++at;
        continue;
      }
      // Moving on leaves the previous edit; a refused entry brings its field back.
      if (!dialog.moveFocus(id)) {
        at = backToFault();
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
      at = backToFault();
    } else if (answer == "c" || answer == "cancel") {
      dialog.pressCancel();
      return DialogResult::kCancel;
    } else if (answer == "e" || answer == "edit") {
      at = 0;
    } else {
      say("Answer o (OK), c (Cancel) or e (Edit again); Enter is OK.");
    }
  }
}
