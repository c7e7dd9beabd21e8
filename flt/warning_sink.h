#pragma once
// Where one export's warnings go: problems that do not stop it (a missing image,
// a node without faces). The driver hands one sink down to every part that may
// warn, so the host sees them all in the order they arose.

#include <functional>
#include <string>

using WarningSink = std::function<void(const std::string&)>;
