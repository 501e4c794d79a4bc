#include "motion/MotionSettings.h"

#include <cmath>

namespace motion {

bool FlashPeriodEnabled(int fwVersion) {
  return fwVersion >= kFlashPeriodFirmware;
}

int SnapFlashPeriod(int ms) {
  return int(std::nearbyint(ms / 4.0)) * 4;
}

Sliders SlidersFor(const devlink::AccParams& b, int fwVersion) {
  return {b.MotionTh, b.MotionDeb,
          b.ImpactTh, b.ImpactDeb,
          b.ImpactTm, FlashPeriodEnabled(fwVersion) ? b.FOCTime * 4 : kFixedFlashPeriodMs};
}

devlink::AccParams BoardValuesFor(const Sliders& s) {
  return {s.MotionThreshold,  s.MotionDebouncing, s.ImpactThreshold,
          s.ImpactDebouncing, s.ImpactTime,       SnapFlashPeriod(s.FOCTime) / 4};
}

std::array<int, 6> AsArray(const devlink::AccParams& p) {
  return {p.MotionTh, p.MotionDeb, p.ImpactTh, p.ImpactDeb, p.ImpactTm, p.FOCTime};
}

devlink::AccParams FromArray(const std::array<int, 6>& v) {
  return {v[0], v[1], v[2], v[3], v[4], v[5]};
}

int HoldBoardValue(size_t index, int value, int fwVersion) {
  if (index == 5) {
    if (!FlashPeriodEnabled(fwVersion)) return kFixedFlashPeriodMs / 4;
    return Range{kSliderRanges[5].min / 4, kSliderRanges[5].max / 4}.Hold(value);
  }
  return kSliderRanges[index].Hold(value);
}

Sliders ReadAccData(devlink::TLS& link, devlink::AccParams& values, int fwVersion) {
  devlink::AccParams read = values;
  if (link.GetAccParam(read)) values = read;
  return SlidersFor(values, fwVersion);
}

bool SendAccData(devlink::TLS& link, const Sliders& sliders, devlink::AccParams& values) {
  if (!link.SetAccParam(BoardValuesFor(sliders))) return false;
  link.Reset();
  devlink::AccParams read = values;
  if (link.GetAccParam(read)) values = read;
  return true;
}

}  // namespace motion
