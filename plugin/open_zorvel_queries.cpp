// The exporter's answers to the host's export file dialog, and its property reference.
#include "convert/property_reference.h"
#include "plugin/open_zorvel.h"
#include "plugin/string_table.h"

int OpenZorvel::extensionCount() {
  return 1;
}

const char* OpenZorvel::extension(int n) {
  return n == 0 ? "FLT" : "";
}

const char* OpenZorvel::longDescription() {
  return getString(kIdsLongDescription);
}

const char* OpenZorvel::shortDescription() {
  return getString(kIdsShortDescription);
}

const char* OpenZorvel::authorName() {
  return "QUORIX";
}

const char* OpenZorvel::copyrightMessage() {
  return "Copyright (c) QUORIX. All rights reserved.";
}

const char* OpenZorvel::otherMessage1() {
  return "";
}

const char* OpenZorvel::otherMessage2() {
  return "";
}

unsigned OpenZorvel::version() {
  return 100;
}

void OpenZorvel::showAbout(void* /*window*/) {}

int OpenZorvel::supportsOptions(int /*extension*/, unsigned /*options*/) {
  return 0;
}

bool OpenZorvel::propertyReference(const std::string& kind, bool markdown, std::string& text) {
  return ::propertyReference(kind, markdown, text);
}
