#pragma once
// The property reference, read at run time from the attribute tables and from the
// readers of the keys outside them: for each record kind every key with its display
// name, value type, accepted texts, the record field it fills and what an absent key
// leaves there.

#include <memory>
#include <string>

class FltRecordBase;

// Of one record kind (any text FltType takes, in any case) or of all (an empty
// kind), as plain text or as Markdown (docs/properties.md). False, with `text`
// naming the kinds that have properties, when `kind` names none of them.
[[nodiscard]] bool propertyReference(const std::string& kind, bool markdown, std::string& text);
