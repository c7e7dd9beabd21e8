#pragma once
// Every modal message the window shows looks alike, as one application's
// messages do: the warning beep, the exclamation mark, the lines, and one "OK"
// button that Enter presses.

#include <functional>
#include <string>
#include <vector>

class Fl_Window;

// The text the exclamation mark shows; tests find the icon by it.
inline constexpr const char* kMessageBoxIcon = "!";

// Shows the box and returns once "OK" or the window's close has ended it. `shown`
// runs once the box is on screen, before the modal loop: tests answer it there.
void showMessageBox(const std::string& title, const std::vector<std::string>& lines,
                    const std::function<void(Fl_Window&)>& shown = {});

// `text` split at its line breaks, empty lines kept.
std::vector<std::string> messageLines(const std::string& text);
