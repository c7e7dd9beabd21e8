#include "attributes/table_record.h"

#include "flt/bsp.h"
#include "flt/clip_region.h"
#include "flt/dof.h"
#include "flt/external_ref.h"
#include "flt/face.h"
#include "flt/group.h"
#include "flt/header.h"
#include "flt/light_point.h"
#include "flt/lod.h"
#include "flt/object.h"
#include "flt/switch.h"

std::unique_ptr<FltRecordBase> newTableRecord(int opcode) {
  switch (opcode) {
    case FltHeader::kOpcode:
      return std::make_unique<FltHeader>();
    case FltGroup::kOpcode:
      return std::make_unique<FltGroup>();
    case FltObject::kOpcode:
      return std::make_unique<FltObject>();
    case FltFace::kOpcode:
      return std::make_unique<FltFace>();
    case FltDof::kOpcode:
      return std::make_unique<FltDof>();
    case FltBsp::kOpcode:
      return std::make_unique<FltBsp>();
    case FltExternalRef::kOpcode:
      return std::make_unique<FltExternalRef>();
    case FltLod::kOpcode:
      return std::make_unique<FltLod>();
    case FltSwitch::kOpcode:
      return std::make_unique<FltSwitch>();
    case FltClipRegion::kOpcode:
      return std::make_unique<FltClipRegion>();
    case FltLightPoint::kOpcode:
      return std::make_unique<FltLightPoint>();
    default:
      return nullptr;
  }
}
