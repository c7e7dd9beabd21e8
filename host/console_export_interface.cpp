#include "host/console_export_interface.h"

void ConsoleExportInterface::print(const char* prefix, const std::string& text) {
  if (beforeMessage_) beforeMessage_();
  err_ << prefix << text << '\n';
  err_.flush();
}

void ConsoleExportInterface::error(const std::string& text) {
  ++errors_;
  print("zorvel: ", text);
}

void ConsoleExportInterface::warning(const std::string& text) {
  ++warnings_;
  print("zorvel: warning: ", text);
}

void ConsoleExportInterface::usageError(const std::string& text) {
  usageFailed_ = true;
  error(text);
}
