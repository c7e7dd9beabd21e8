#pragma once
// Where an attribute stores its value: a typed path into one record kind, made from
// pointers to members (and array indexes) at compile time, so that tables never
// depend on byte offsets of the record classes.

#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "flt/record_base.h"

enum class AttrTargetKind : int32_t { kNone, kInteger, kFloat, kDouble, kText };

struct AttrTarget {
  // Address of the member inside `record`, or null when the record is of another kind.
  void* (*address)(FltRecordBase& record) = nullptr;
  AttrTargetKind kind = AttrTargetKind::kNone;
  // Bytes of the member; for text, the whole character array with its terminator.
  size_t width = 0;

  constexpr bool isNone() const { return address == nullptr; }
};

namespace attr_detail {

template <class T>
struct MemberOf;
template <class C, class M>
struct MemberOf<M C::*> {
  using Class = C;
};

template <class Obj>
constexpr Obj& follow(Obj& object) {
  return object;
}
template <auto Step, auto... Rest, class Obj>
constexpr auto& follow(Obj& object) {
  if constexpr (std::is_member_object_pointer_v<decltype(Step)>)
    return follow<Rest...>(object.*Step);
  else
    return follow<Rest...>(object[Step]);
}

template <class Field>
constexpr AttrTargetKind kindOf() {
  if constexpr (std::is_array_v<Field>)
    return std::is_same_v<std::remove_extent_t<Field>, char> ? AttrTargetKind::kText
                                                             : AttrTargetKind::kNone;
  else if constexpr (std::is_same_v<Field, float>)
    return AttrTargetKind::kFloat;
  else if constexpr (std::is_same_v<Field, double>)
    return AttrTargetKind::kDouble;
  else if constexpr (std::is_integral_v<Field> && !std::is_same_v<Field, bool>)
    return AttrTargetKind::kInteger;
  else
    return AttrTargetKind::kNone;
}

}  // namespace attr_detail

// attrTarget<&FltLod::switchInDistance>(), attrTarget<&FltDof::yaw, &FltDofRange::minimum>(),
// attrTarget<&FltClipRegion::corners, 2, 1>(): the first step names the record class.
template <auto First, auto... Rest>
constexpr AttrTarget attrTarget() {
  using Record = typename attr_detail::MemberOf<decltype(First)>::Class;
  static_assert(std::is_base_of_v<FltRecordBase, Record>, "targets are members of records");
  using Field = std::remove_reference_t<decltype(attr_detail::follow<First, Rest...>(
      std::declval<Record&>()))>;
  static_assert(attr_detail::kindOf<Field>() != AttrTargetKind::kNone,
                "targets are integers, floats, doubles or character arrays");
  AttrTarget target;
  target.address = [](FltRecordBase& base) -> void* {
    auto* record = dynamic_cast<Record*>(&base);
    return record ? static_cast<void*>(&attr_detail::follow<First, Rest...>(*record)) : nullptr;
  };
  target.kind = attr_detail::kindOf<Field>();
  target.width = sizeof(Field);
  return target;
}

// The -1 target of rows that store nothing.
inline constexpr AttrTarget kNoTarget{};
