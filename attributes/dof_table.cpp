#include "attributes/attr_tables.h"
#include "flt/dof.h"

namespace {
using T = AttrType;
using E = AttrEncoding;
using D = FltDof;
using R = FltDofRange;
}  // namespace

// The local frame, then per axis: current, step, limit flag, minimum, maximum.
// clang-format off
constexpr AttrDescriptor kDofAttrTable[] = {
    {"Local Origin X", "FltDofOriginX", T::kFloat, "0", attrTarget<&D::originX>(), E::kDouble},
    {"Y", "FltDofOriginY", T::kFloat, "0", attrTarget<&D::originY>(), E::kDouble},
    {"Z", "FltDofOriginZ", T::kFloat, "0", attrTarget<&D::originZ>(), E::kDouble},
    {"X Axis X", "FltDofXAxisX", T::kFloat, "0", attrTarget<&D::xAxisPointX>(), E::kDouble},
    {"Y", "FltDofXAxisY", T::kFloat, "0", attrTarget<&D::xAxisPointY>(), E::kDouble},
    {"Z", "FltDofXAxisZ", T::kFloat, "0", attrTarget<&D::xAxisPointZ>(), E::kDouble},
    {"XY Plane X", "FltDofXYPlaneX", T::kFloat, "0", attrTarget<&D::xyPlanePointX>(), E::kDouble},
    {"Y", "FltDofXYPlaneY", T::kFloat, "0", attrTarget<&D::xyPlanePointY>(), E::kDouble},
    {"Z", "FltDofXYPlaneZ", T::kFloat, "0", attrTarget<&D::xyPlanePointZ>(), E::kDouble},
    {"X Translation", "FltDofTxCurr", T::kFloat, "0", attrTarget<&D::translateX, &R::current>(), E::kDouble},
    {"Step", "FltDofTxIncr", T::kFloat, "1", attrTarget<&D::translateX, &R::increment>(), E::kDouble},
    {"Limit Range", "FltDofTxLimited", T::kBoolean, "0", attrTarget<&D::flags>(), E::kInt32, 0x80000000},
    {"Min", "FltDofTxMin", T::kFloat, "-1000000", attrTarget<&D::translateX, &R::minimum>(), E::kDouble},
    {"Max", "FltDofTxMax", T::kFloat, "1000000", attrTarget<&D::translateX, &R::maximum>(), E::kDouble},
    {"Y Translation", "FltDofTyCurr", T::kFloat, "0", attrTarget<&D::translateY, &R::current>(), E::kDouble},
    {"Step", "FltDofTyIncr", T::kFloat, "1", attrTarget<&D::translateY, &R::increment>(), E::kDouble},
    {"Limit Range", "FltDofTyLimited", T::kBoolean, "0", attrTarget<&D::flags>(), E::kInt32, 0x40000000},
    {"Min", "FltDofTyMin", T::kFloat, "-1000000", attrTarget<&D::translateY, &R::minimum>(), E::kDouble},
    {"Max", "FltDofTyMax", T::kFloat, "1000000", attrTarget<&D::translateY, &R::maximum>(), E::kDouble},
    {"Z Translation", "FltDofTzCurr", T::kFloat, "0", attrTarget<&D::translateZ, &R::current>(), E::kDouble},
    {"Step", "FltDofTzIncr", T::kFloat, "1", attrTarget<&D::translateZ, &R::increment>(), E::kDouble},
    {"Limit Range", "FltDofTzLimited", T::kBoolean, "0", attrTarget<&D::flags>(), E::kInt32, 0x20000000},
    {"Min", "FltDofTzMin", T::kFloat, "-1000000", attrTarget<&D::translateZ, &R::minimum>(), E::kDouble},
    {"Max", "FltDofTzMax", T::kFloat, "1000000", attrTarget<&D::translateZ, &R::maximum>(), E::kDouble},
    {"X Scale", "FltDofSxCurr", T::kFloat, "0", attrTarget<&D::scaleX, &R::current>(), E::kDouble},
    {"Step", "FltDofSxIncr", T::kFloat, "1", attrTarget<&D::scaleX, &R::increment>(), E::kDouble},
    {"Limit Range", "FltDofSxLimited", T::kBoolean, "0", attrTarget<&D::flags>(), E::kInt32, 0x02000000},
    {"Min", "FltDofSxMin", T::kFloat, "-1000000", attrTarget<&D::scaleX, &R::minimum>(), E::kDouble},
    {"Max", "FltDofSxMax", T::kFloat, "1000000", attrTarget<&D::scaleX, &R::maximum>(), E::kDouble},
    {"Y Scale", "FltDofSyCurr", T::kFloat, "0", attrTarget<&D::scaleY, &R::current>(), E::kDouble},
    {"Step", "FltDofSyIncr", T::kFloat, "1", attrTarget<&D::scaleY, &R::increment>(), E::kDouble},
    {"Limit Range", "FltDofSyLimited", T::kBoolean, "0", attrTarget<&D::flags>(), E::kInt32, 0x01000000},
    {"Min", "FltDofSyMin", T::kFloat, "-1000000", attrTarget<&D::scaleY, &R::minimum>(), E::kDouble},
    {"Max", "FltDofSyMax", T::kFloat, "1000000", attrTarget<&D::scaleY, &R::maximum>(), E::kDouble},
    {"Z Scale", "FltDofSzCurr", T::kFloat, "0", attrTarget<&D::scaleZ, &R::current>(), E::kDouble},
    {"Step", "FltDofSzIncr", T::kFloat, "1", attrTarget<&D::scaleZ, &R::increment>(), E::kDouble},
    {"Limit Range", "FltDofSzLimited", T::kBoolean, "0", attrTarget<&D::flags>(), E::kInt32, 0x00800000},
    {"Min", "FltDofSzMin", T::kFloat, "-1000000", attrTarget<&D::scaleZ, &R::minimum>(), E::kDouble},
    {"Max", "FltDofSzMax", T::kFloat, "1000000", attrTarget<&D::scaleZ, &R::maximum>(), E::kDouble},
    {"Roll", "FltDofRollCurr", T::kFloat, "0", attrTarget<&D::roll, &R::current>(), E::kDouble},
    {"Step", "FltDofRollIncr", T::kFloat, "1", attrTarget<&D::roll, &R::increment>(), E::kDouble},
    {"Limit Range", "FltDofRollLimited", T::kBoolean, "0", attrTarget<&D::flags>(), E::kInt32, 0x08000000},
    {"Min", "FltDofRollMin", T::kFloat, "-1000000", attrTarget<&D::roll, &R::minimum>(), E::kDouble},
    {"Max", "FltDofRollMax", T::kFloat, "1000000", attrTarget<&D::roll, &R::maximum>(), E::kDouble},
    {"Pitch", "FltDofPitchCurr", T::kFloat, "0", attrTarget<&D::pitch, &R::current>(), E::kDouble},
    {"Step", "FltDofPitchIncr", T::kFloat, "1", attrTarget<&D::pitch, &R::increment>(), E::kDouble},
    {"Limit Range", "FltDofPitchLimited", T::kBoolean, "0", attrTarget<&D::flags>(), E::kInt32, 0x10000000},
    {"Min", "FltDofPitchMin", T::kFloat, "-1000000", attrTarget<&D::pitch, &R::minimum>(), E::kDouble},
    {"Max", "FltDofPitchMax", T::kFloat, "1000000", attrTarget<&D::pitch, &R::maximum>(), E::kDouble},
    {"Yaw", "FltDofYawCurr", T::kFloat, "0", attrTarget<&D::yaw, &R::current>(), E::kDouble},
    {"Step", "FltDofYawIncr", T::kFloat, "1", attrTarget<&D::yaw, &R::increment>(), E::kDouble},
    {"Limit Range", "FltDofYawLimited", T::kBoolean, "0", attrTarget<&D::flags>(), E::kInt32, 0x04000000},
    {"Min", "FltDofYawMin", T::kFloat, "-1000000", attrTarget<&D::yaw, &R::minimum>(), E::kDouble},
    {"Max", "FltDofYawMax", T::kFloat, "1000000", attrTarget<&D::yaw, &R::maximum>(), E::kDouble},
    {"Comments", "FltComment", T::kComment, "", kNoTarget, E::kNothing},
    {},
};
// clang-format on
