#pragma once
// The scene readers are other people's code fed other people's files: some crash
// or never return on damaged input. The export therefore runs in a child process
// that says when its scene has loaded; the parent turns a crash or a silence of
// the reader into one line naming the file, instead of a bare signal or a wait
// without end.

#include <functional>
#include <ostream>
#include <string>

// Handed to the supervised work: call loaded() once the scene is in memory.
class LoadWatch {
 public:
  explicit LoadWatch(int fd = -1) : fd_(fd) {}
  void loaded();

 private:
  int fd_;
};

struct LoadSupervision {
  std::string input;       // for the messages
  int timeoutSeconds = 0;  // for the reader alone; 0: no limit
};

// Runs `work` in a child process and returns its exit status. Before loaded():
// a crash gives "the reader crashed on X" and a timeout "gave no answer in N s",
// both exit status 2; Ctrl-C gives 130. Standard output and error are the
// parent's, so the child's messages and terminal dialogs reach the user as they are.
int runSupervised(const LoadSupervision& supervision, const std::function<int(LoadWatch&)>& work,
                  std::ostream& err);
