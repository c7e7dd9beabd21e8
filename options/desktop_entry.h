#pragma once
// Reading the desktop's application entries (.desktop files): where they live,
// the Exec line of one, and that line turned into the argv of a program run.

#include <istream>
#include <optional>
#include <string>
#include <vector>

// $XDG_DATA_HOME/applications (or ~/.local/share/applications), then each of
// $XDG_DATA_DIRS/applications (or /usr/local/share and /usr/share), most
// important first.
std::vector<std::string> desktopApplicationDirs();

// The file of desktop entry `id` ("firefox-esr.desktop") in the first of `dirs`
// that has it; a '-' in the id may stand for a subfolder ("kde4-a.desktop" is
// kde4/a.desktop). Null when no folder has it or the id is not a plain file name.
std::optional<std::string> findDesktopFile(const std::string& id,
                                           const std::vector<std::string>& dirs);

// The Exec value of the [Desktop Entry] group (the action groups have their own).
std::optional<std::string> desktopEntryExec(std::istream& in);

// The command of Exec value `exec` to open `target`: the line is cut at its first
// file or URL field code (%u, %U, %f, %F), split into arguments by the entry's
// quoting rules, other field codes dropped, and `target` appended as one
// argument. Empty when no program is left.
std::vector<std::string> desktopExecCommand(const std::string& exec, const std::string& target);
