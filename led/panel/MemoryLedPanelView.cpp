#include <algorithm>

#include "led/panel/LedPanelView.h"

namespace led {

void MemoryLedPanelView::SetOverdriveMaximum(int maximum) {
  overdriveMax = maximum;
  overdrive = std::clamp(overdrive, kOverdriveMin, std::max(kOverdriveMin, overdriveMax));
}

void MemoryLedPanelView::SetOverdriveValue(int value) {
  overdrive = std::clamp(value, kOverdriveMin, std::max(kOverdriveMin, overdriveMax));
}

std::string MemoryLedPanelView::FieldText(PulseField field) const {
  const auto f = fields.find(field);
  return f == fields.end() ? kFieldDesignText : f->second;
}

void MemoryLedPanelView::SetLevel(int channel, int value) {
  levels.at(channel - 1) = std::clamp(value, 0, kLevelMax);
}

}  // namespace led
