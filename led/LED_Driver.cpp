#include "led/LED_Driver.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "led/Split.h"
#include "text/NumberReading.h"

namespace led {

namespace {

// A whole-number field: the number read, rounded halves to even, within
// lo..hi and the field's width; nothing otherwise.
template <class Int>
std::optional<Int> WholeNumber(std::string_view text, Int lo, Int hi) {
  const auto value = text::RoundToInteger<Int>(text::ReadNumber(text));
  if (!value || *value < lo || *value > hi) return std::nullopt;
  return value;
}

// "a3_a2_a1_a0": exactly four numbers.
bool ReadCoefficients(std::string_view text, LED_Driver::Coefficients& into) {
  const auto numbers = Split(text, "_");
  if (numbers.size() != 4) return false;
  for (size_t i = 0; i < 4; ++i) into[i] = text::ReadNumber(numbers[i]);
  return true;
}

}  // namespace

int32_t ColorCodeOf(std::string_view word) {
  if (word == "white") return kWhite;
  if (word == "red") return kRed;
  if (word == "green") return kGreen;
  if (word == "blue") return kBlue;
  if (word == "amber") return kAmber;
  return 0;
}

void SysToRGB(int32_t SysColor, int16_t& Red, int16_t& Green, int16_t& Blue) {
  const int32_t value = SysColor < 0 ? 0 : SysColor;
  Red = int16_t(value & 255);
  Green = int16_t((value / 256) & 255);
  Blue = int16_t((value / 65536) & 255);
}

int32_t RGBToSys(int16_t Red, int16_t Green, int16_t Blue) {
  // Unsigned arithmetic: components outside 0..255 wrap rather than overflow.
  return int32_t(uint32_t(Red) + 256u * uint32_t(Green) + 65536u * uint32_t(Blue));
}

int LED_Driver::Clamp(int16_t Channel) const {
  const int last = std::clamp<int>(NrOfChannels, 1, 4);
  return std::clamp<int>(Channel, 1, last);
}

bool LED_Driver::Init(std::string_view StringLine) {
  const auto fields = Split(StringLine, "#");
  if (fields.size() != 3) return false;

  const auto nameAndCode = Split(fields[0], "@");
  if (nameAndCode.size() != 2) return false;
  LEDName = std::string(nameAndCode[0]);
  const auto code = text::RoundToInteger<int16_t>(text::ReadNumber(nameAndCode[1]));
  if (!code) return false;
  LedCode = *code;

  const auto channels = text::RoundToInteger<int16_t>(text::ReadNumber(fields[1]));
  if (!channels) return false;
  NrOfChannels = *channels;
  if (NrOfChannels < 1 || NrOfChannels > 4) return false;

  const auto periodAndBlocks = Split(fields[2], "+");
  if (periodAndBlocks.size() < 2) return false;
  const auto period = WholeNumber<int32_t>(periodAndBlocks[0], 10, 10000);
  if (!period) return false;
  Period = *period;

  const auto blocks = Split(StringLine, "+Col=");
  if (blocks.size() != size_t(NrOfChannels) + 1) return false;
  for (int k = 1; k <= NrOfChannels; ++k)
    if (!InitChannel(k, blocks[k])) return false;

  for (int k = 1; k <= NrOfChannels; ++k) channelTon_[k] = 1;
  return true;
}

// One "+Col=" block: colour word, "ML", "MDC", "VL" and "Coef" with two
// coefficient groups ended by ";".
bool LED_Driver::InitChannel(int k, std::string_view block) {
  const auto colorRest = Split(block, "ML");
  if (colorRest.size() != 2) return false;
  channelColor_[k] = ColorCodeOf(colorRest[0]);
  if (channelColor_[k] == 0) return false;

  const auto lumRest = Split(colorRest[1], "MDC");
  if (lumRest.size() != 2) return false;
  const auto maxLum = WholeNumber<int32_t>(lumRest[0], 101, 50000);
  if (!maxLum) return false;
  maxLum_[k] = *maxLum;

  const auto dcRest = Split(lumRest[1], "VL");
  if (dcRest.size() != 2) return false;
  const auto maxDC = WholeNumber<int32_t>(dcRest[0], 2, 100);
  if (!maxDC) return false;
  maxDC_[k] = *maxDC;

  const auto vlRest = Split(dcRest[1], "Coef");
  if (vlRest.size() != 2) return false;
  vl_[k] = text::ReadNumber(vlRest[0]);
  if (!(vl_[k] >= 3.0 && vl_[k] <= 9.0)) return false;

  const auto groups = Split(vlRest[1], ";");
  if (groups.size() != 3) return false;
  return ReadCoefficients(groups[0], coef1_[k]) && ReadCoefficients(groups[1], coef2_[k]);
}

int32_t LED_Driver::GetTon(int32_t SetType, int16_t Channel, double SetValue) const {
  const int32_t on = channelTon_[Clamp(Channel)];
  switch (SetType) {
    case kDutyCycle:
    case kPercentOfMaxDC:
      if (SetValue == 0) return 0;
      if (SetValue == 100) return 1;
      return on;
    case kLuminance:
      return SetValue == 0 ? 0 : on;
    default:
      return on;
  }
}

int32_t LED_Driver::GetChannelColor(int16_t Channel) const {
  return Channel >= 1 && Channel <= 4 ? channelColor_[Channel] : 0;
}

int16_t LED_Driver::FindColor(int32_t Color) const {
  for (int k = std::min<int>(NrOfChannels, 4); k >= 1; --k)
    if (channelColor_[k] == Color) return int16_t(k);
  return 0;
}

int32_t LED_Driver::GetMaxDC(int16_t Channel) const {
  return maxDC_[Clamp(Channel)];
}

int32_t LED_Driver::GetMaxLum(int16_t Channel) const {
  return maxLum_[Clamp(Channel)];
}

int32_t LED_Driver::GetToff(int32_t SetType, int16_t Channel, double SetValue) const {
  const int k = Clamp(Channel);
  const double P = Period;
  const double T = channelTon_[k];
  const int32_t fullyOn = Period + 1;
  const double v = SetValue < 0 ? 0 : SetValue;
  double d = 0;
  switch (SetType) {
    case kDutyCycle:
      if (v >= 100) return fullyOn;
      if (v <= 0) return 1;
      d = std::min<double>(v, maxDC_[k]);
      break;
    case kLuminance: {
      if (v >= maxLum_[k]) return fullyOn;
      if (v <= 0) return 1;
      const Coefficients& c = coef2_[k];
      d = c[0] * v * v * v + c[1] * v * v + c[2] * v + c[3];
      break;
    }
    case kPercentOfMaxDC:
      if (v <= 0) return 1;
      d = maxDC_[k] * std::min(v, 100.0) / 100;
      break;
    default:
      break;
  }
  d = d * OverDrive / 100;
  d = d >= 0 ? std::min(d, 100.0) : 0;  // also takes a not-a-number to 0
  if (d == 100) return fullyOn;
  if (d == 0) return 1;
  double t = std::floor(P * d / 100 + T);
  if (t <= T) t = T + 1;
  if (t > P + 1) t = P + 1;
  return int32_t(t);
}

int32_t LED_Driver::ConvertRGBtoLuminance(int32_t, int16_t ColorValue, bool ExceptR, bool ExceptG,
                                          bool ExceptB) const {
  int32_t L = 50000;
  const std::pair<int32_t, bool> takingPart[] = {
      {kRed, !ExceptR}, {kGreen, !ExceptG}, {kBlue, !ExceptB}};
  for (const auto& [code, takes] : takingPart) {
    const int16_t channel = takes ? FindColor(code) : 0;
    if (channel && maxLum_[channel] < L) L = maxLum_[channel];
  }
  return int32_t(text::RoundHalfEven(double(ColorValue) * L / 255));
}

int16_t LED_Driver::ConvertLuminanceToRGB(int32_t Color, int32_t Luminance) const {
  const int16_t channel = FindColor(Color);
  if (channel == 0 || maxLum_[channel] == 0) return -1;
  const auto value = text::RoundToInteger<int16_t>(double(Luminance) * 255 / maxLum_[channel]);
  return value ? *value : int16_t(-1);
}

}  // namespace led
