#pragma once
// What the host hands the export entry besides the scene: which options dialog
// view to run (and, in batch, what to type into it) and where to report problems.

#include <optional>
#include <string>
#include <vector>

enum class DialogView { kWindow, kTerminal, kBatch };

// The values a batch run types into the options dialog; an empty field is left
// as the dialog shows it. Texts are typed as a user would type them.
struct DialogFieldValues {
  std::optional<std::string> format;  // "15.4" or "OpenFlight 15.4"
  std::optional<std::string> projection;
  std::optional<std::string> ellipsoid;
  std::optional<std::string> units;
  std::optional<std::string> originLat;
  std::optional<std::string> originLon;
  std::optional<std::string> lambertUpper;
  std::optional<std::string> lambertLower;
  std::optional<bool> copyTextures;
  std::optional<bool> autoGroup;
  std::optional<bool> autoObject;
};

class ExportInterface {
 public:
  virtual ~ExportInterface() = default;

  virtual DialogView dialogView() const = 0;
  virtual const DialogFieldValues& batchValues() const = 0;

  // Why an export failed (cannot open, write error, limit reached).
  virtual void error(const std::string& text) = 0;
  // Something the export passed over (a node without faces, a missing image).
  virtual void warning(const std::string& text) = 0;
  // The export could not start with what the host passed: the batch options dialog
  // showed a message or refused a value. The host ends as bad usage (exit status 2).
  virtual void usageError(const std::string& text) { error(text); }
  // Whether a cancelled export closes its file, holding the nodes written until
  // then, or drops it with every file written beside it, so that what was at the
  // output before stays as it was.
  virtual bool keepsCancelledFile() const { return true; }
  // Files no texture copy may replace: the scene's own, which its reader opened.
  virtual std::vector<std::string> keptFiles() const { return {}; }

  // Only the checks: no options dialog, and the walk's output is dropped, so no
  // file is made.
  virtual bool checkOnly() const { return false; }
  // Asked once the walk is over, before anything is kept: false drops the file and
  // everything beside it, and the export fails without a message of its own (the
  // host says why: it refuses exports that gave warnings).
  virtual bool acceptsFile() const { return true; }
  // The closing count of the property checks ("7 property warnings on 4 nodes"),
  // given after the walk when there was a finding. A host with a summary line of
  // its own folds it in; by default it is one more line among the warnings.
  virtual void propertySummary(const std::string& text) { warning(text); }
};
