#include "attributes/attr_tables.h"
#include "flt/light_point.h"

namespace {

using T = AttrType;
using E = AttrEncoding;
using L = FltLightPoint;

constexpr AttrEnumEntry kDisplayModeEnum[] = {
    {0, "Raster"},
    {1, "Calligraphic"},
    {2, "Either"},
    {0, nullptr},
};

constexpr AttrEnumEntry kDirectionTypeEnum[] = {
    {0, "Omni-directional"},
    {2, "Bi-directional"},
    {1, "Uni-directional"},
    {0, nullptr},
};

constexpr AttrEnumEntry kRandomizeEnum[] = {
    {0, "Never"}, {16777216, "Low"}, {33554432, "Medium"}, {50331648, "High"}, {0, nullptr},
};

constexpr AttrEnumEntry kQualityEnum[] = {
    {0, "Low"}, {131072, "Medium"}, {262144, "High"}, {393216, "Undefined"}, {0, nullptr},
};

}  // namespace

// Display names and the key FltLtPtDirectonType are spelled as users already write them.
// clang-format off
constexpr AttrDescriptor kLightPointAttrTable[] = {
    {"SMC", "FltSmc", T::kInteger, "0", attrTarget<&L::surfaceMaterialCode>(), E::kInt16},
    {"FID", "FltFid", T::kInteger, "0", attrTarget<&L::featureId>(), E::kInt16},
    {"Back Color", "FltLtPtBackColor", T::kInteger, "0", attrTarget<&L::backColor>(), E::kFlags32},
    {"Display Mode", "FltLtPtDisplayMode", T::kEnumeration, "Either", attrTarget<&L::displayMode>(), E::kInt32, 0, kDisplayModeEnum},
    {"Intensity", "FltLtPtIntensity", T::kFloat, "0", attrTarget<&L::intensity>(), E::kFloat},
    {"Back Intensity", "FltLtPtBackIntensity", T::kFloat, "0", attrTarget<&L::backIntensity>(), E::kFloat},
    {"Minimum Defocus", "FltLtPtMinDefocus", T::kFloat, "0", attrTarget<&L::minDefocus>(), E::kFloat},
    {"Maxmimum Defocus", "FltLtPtMaxDefocus", T::kFloat, "0", attrTarget<&L::maxDefocus>(), E::kFloat},
    {"Fading Mode Disabled", "FltLtPtDisableFade", T::kBoolean, "0", attrTarget<&L::fadingMode>(), E::kFlags32},
    {"Fog Punch Disabled", "FltLtPtDisableFog", T::kBoolean, "0", attrTarget<&L::fogPunchMode>(), E::kFlags32},
    {"Direction Mode Disabled", "FltLtPtDisableDir", T::kBoolean, "0", attrTarget<&L::directionalMode>(), E::kFlags32},
    {"Range Mode Disabled", "FltLtPtDisableRange", T::kBoolean, "0", attrTarget<&L::rangeMode>(), E::kFlags32},
    {"Minimum Pixel Size", "FltLtPtMinPixelSize", T::kFloat, "0", attrTarget<&L::minPixelSize>(), E::kFloat},
    {"Maximum Pixel Size", "FltLtPtMaxPixelSize", T::kFloat, "0", attrTarget<&L::maxPixelSize>(), E::kFloat},
    {"Actual Pixel Size", "FltLtPtActualPixelSize", T::kFloat, "0", attrTarget<&L::actualPixelSize>(), E::kFloat},
    {"Transparent Falloff Pixel Size", "FltLtPtXprPixelSize", T::kFloat, "0", attrTarget<&L::transparentFalloffPixelSize>(), E::kFloat},
    {"Transparent Falloff Expononet", "FltLtPtXprOffExpnt", T::kFloat, "0", attrTarget<&L::transparentFalloffExponent>(), E::kFloat},
    {"Transparent Falloff Scalar", "FltLtPtXprScalar", T::kFloat, "0", attrTarget<&L::transparentFalloffScalar>(), E::kFloat},
    {"Transparent Falloff Clamp", "FltLtPtXprClamp", T::kFloat, "0", attrTarget<&L::transparentFalloffClamp>(), E::kFloat},
    {"Fog Scalar", "FltLtPtFogScalar", T::kFloat, "0", attrTarget<&L::fogScalar>(), E::kFloat},
    {"Size Threshold", "FltLtPtSizeThreshold", T::kFloat, "0", attrTarget<&L::sizeDifferenceThreshold>(), E::kFloat},
    {"Direction Type", "FltLtPtDirectonType", T::kEnumeration, "Omni-directional", attrTarget<&L::directionality>(), E::kInt32, 0, kDirectionTypeEnum},
    {"Horizontal Lobe Angle", "FltLtPtHorizLobe", T::kFloat, "0", attrTarget<&L::horizontalLobeAngle>(), E::kFloat},
    {"Vertical Lobe Angle", "FltLtPtVertLobe", T::kFloat, "0", attrTarget<&L::verticalLobeAngle>(), E::kFloat},
    {"Lobe Roll Angle", "FltLtPtLobeRoll", T::kFloat, "0", attrTarget<&L::lobeRollAngle>(), E::kFloat},
    {"Directional Falloff Exponent", "FltLtPtDirFalloff", T::kFloat, "0", attrTarget<&L::directionalFalloffExponent>(), E::kFloat},
    {"Directional Ambient Intensity", "FltLtPtDirAmbient", T::kFloat, "0", attrTarget<&L::directionalAmbientIntensity>(), E::kFloat},
    {"Animation Period", "FltLtPtAnimPeriod", T::kFloat, "0", attrTarget<&L::animationPeriod>(), E::kFloat},
    {"Animation Phase Delay", "FltLtPtAnimPhase", T::kFloat, "0", attrTarget<&L::animationPhaseDelay>(), E::kFloat},
    {"Animation Enabled Period", "FltLtPtAnimEnabled", T::kFloat, "0", attrTarget<&L::animationEnabledPeriod>(), E::kFloat},
    {"Significance", "FltLtPtSignificance", T::kFloat, "0", attrTarget<&L::significance>(), E::kFloat},
    {"Calligraphic Draw Order", "FltLtPtDrawOrder", T::kInteger, "0", attrTarget<&L::calligraphicDrawOrder>(), E::kInt32},
    {"No Back Color", "FltLtPtNoBackColor", T::kBoolean, "0", attrTarget<&L::flags>(), E::kInt32, 0x40000000},
    {"Proximity Occulting", "FltLtPtProxOccult", T::kBoolean, "0", attrTarget<&L::flags>(), E::kInt32, 0x10000000},
    {"Reflective Light", "FltLtPtReflective", T::kBoolean, "0", attrTarget<&L::flags>(), E::kInt32, 0x08000000},
    {"Randomize", "FltLtPtRandomize", T::kEnumeration, "Never", attrTarget<&L::flags>(), E::kInt32, 0x07000000, kRandomizeEnum},
    {"Perspective Mode", "FltLtPtPerspective", T::kBoolean, "0", attrTarget<&L::flags>(), E::kInt32, 0x00800000},
    {"Flashing", "FltLtPtFlashing", T::kBoolean, "0", attrTarget<&L::flags>(), E::kInt32, 0x00400000},
    {"Rotationg", "FltLtPtRotating", T::kBoolean, "0", attrTarget<&L::flags>(), E::kInt32, 0x00200000},
    {"Rotate CCW", "FltLtPtRotateCCW", T::kBoolean, "0", attrTarget<&L::flags>(), E::kInt32, 0x00100000},
    {"Quality", "FltLtPtQuality", T::kEnumeration, "Low", attrTarget<&L::flags>(), E::kInt32, 0x00060000, kQualityEnum},
    {"Visible in Daylight", "FltLtPtVisDay", T::kBoolean, "0", attrTarget<&L::flags>(), E::kInt32, 0x00010000},
    {"Visible at Dusk", "FltLtPtVisDusk", T::kBoolean, "0", attrTarget<&L::flags>(), E::kInt32, 0x00008000},
    {"Visible at Night", "FltLtPtVisNight", T::kBoolean, "0", attrTarget<&L::flags>(), E::kInt32, 0x00004000},
    {"Rotation Axis X", "FltLtPtRotationX", T::kFloat, "0", attrTarget<&L::axisX>(), E::kDouble},
    {"Rotation Axis Y", "FltLtPtRotationY", T::kFloat, "0", attrTarget<&L::axisY>(), E::kDouble},
    {"Rotation Axis Z", "FltLtPtRotationZ", T::kFloat, "0", attrTarget<&L::axisZ>(), E::kDouble},
    {"Comments", "FltComment", T::kComment, "", kNoTarget, E::kNothing},
    {},
};
// clang-format on
