#include "flt/search_directories.h"

#include <cctype>
#include <cstdlib>
#include <cstring>

void SearchDirectories::add(const char* text) {
  if (!text) return;
  const char* p = text;
  for (;;) {
    while (*p && std::isspace(static_cast<unsigned char>(*p))) ++p;
    if (!*p) return;
    size_t n = std::strcspn(p, ",;");
    std::string piece(p, n);
    if (listed_.insert(piece).second) directories_.push_back(std::move(piece));
    if (!p[n]) return;
    p += n + 1;
  }
}

void SearchDirectories::readEnvironment() {
  clear();
  for (const char* name : {"TEXTURE_PATH", "TXT_PATH", "TXTPATH"}) add(std::getenv(name));
}

void SearchDirectories::clear() {
  directories_.clear();
  listed_.clear();
}
