#pragma once
// The export interface of the zorvel command: the dialog view and batch values
// from the command line, and the exporter's messages printed on standard error.

#include <functional>
#include <ostream>
#include <string>

#include "plugin/export_interface.h"

class ConsoleExportInterface : public ExportInterface {
 public:
  ConsoleExportInterface(DialogView view, DialogFieldValues values, std::ostream& err)
      : view_(view), values_(std::move(values)), err_(err) {}

  // Called before each message, to end a progress bar drawn on the same line.
  void setBeforeMessage(std::function<void()> hook) { beforeMessage_ = std::move(hook); }

  DialogView dialogView() const override { return view_; }
  const DialogFieldValues& batchValues() const override { return values_; }

  void error(const std::string& text) override;
  void warning(const std::string& text) override;
  void usageError(const std::string& text) override;
  // A partial file passes every check and looks finished: it must not replace a
  // good one.
  bool keepsCancelledFile() const override { return false; }
  void setKeptFiles(std::vector<std::string> files) { kept_ = std::move(files); }
  std::vector<std::string> keptFiles() const override { return kept_; }
  bool checkOnly() const override { return checkOnly_; }
  // Strict: a warning of any kind, the loader's included, refuses the file.
  bool acceptsFile() const override { return !strict_ || warnings_ + earlierWarnings_ == 0; }
  void propertySummary(const std::string& text) override { propertySummary_ = text; }

  void setCheckOnly(bool on) { checkOnly_ = on; }
  void setStrict(bool on) { strict_ = on; }
  // Warnings given before the export began (by the loader).
  void setEarlierWarnings(int count) { earlierWarnings_ = count; }
  const std::string& propertySummaryText() const { return propertySummary_; }

  int errorCount() const { return errors_; }
  int warningCount() const { return warnings_; }
  // The export could not start with what the command line gave: exit status 2.
  bool usageFailed() const { return usageFailed_; }

 private:
  void print(const char* prefix, const std::string& text);

  std::vector<std::string> kept_;
  DialogView view_;
  DialogFieldValues values_;
  std::ostream& err_;
  std::function<void()> beforeMessage_;
  int errors_ = 0;
  int warnings_ = 0;
  bool usageFailed_ = false;
  bool checkOnly_ = false;
  bool strict_ = false;
  int earlierWarnings_ = 0;
  std::string propertySummary_;
};
