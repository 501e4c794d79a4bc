#pragma once
// One LED type of the catalogue "KestraneLEDS.ldcfg": its name and code, its
// output channels with the colour, maximum luminance, maximum duty cycle and
// coefficients of each emitter, and the conversions between colour
// component values (0..255), luminance and the PWM on and off ticks.
//
// Colour values pack red + 256 x green + 65536 x blue into a signed 32-bit
// integer; the five colour words of the catalogue map to fixed codes, which
// are both the colour of a channel's label and the key by which the
// conversions find the red, green and blue channels.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace led {

inline constexpr int32_t kWhite = 16777215;  // 0xFFFFFF
inline constexpr int32_t kRed = 255;         // 0x0000FF
inline constexpr int32_t kGreen = 49152;     // 0x00C000
inline constexpr int32_t kBlue = 16744576;   // 0xFF8080
inline constexpr int32_t kAmber = 33023;     // 0x0080FF

// The colour code of a catalogue colour word, compared exactly; 0 for any
// other word.
int32_t ColorCodeOf(std::string_view word);

// Splits a colour value into its components. The program has no system
// colours, so a negative value (a system colour index) reads as black.
void SysToRGB(int32_t SysColor, int16_t& Red, int16_t& Green, int16_t& Blue);
int32_t RGBToSys(int16_t Red, int16_t Green, int16_t Blue);

// What GetTon and GetToff take as SetValue.
enum SetType : int32_t { kDutyCycle = 0, kLuminance = 1, kPercentOfMaxDC = 2 };

class LED_Driver {
 public:
  using Coefficients = std::array<double, 4>;  // C3, C2, C1, C0

  std::string LEDName;
  int16_t NrOfChannels = 0;
  int16_t LedCode = 0;
  int32_t Period = 0;    // PWM period in ticks
  double Voltage = 0;    // exchanged with the board, not used here
  double OverDrive = 0;  // percent; scales the duty cycles of GetToff

  // Checks and stores one catalogue line; false at the first rule that
  // fails (fields stored before it keep their new values).
  bool Init(std::string_view StringLine);

  int32_t GetTon(int32_t SetType, int16_t Channel, double SetValue) const;
  // Channel must be 1..4.
  int32_t GetChannelColor(int16_t Channel) const;
  // The highest channel whose colour is Color; 0 when none.
  int16_t FindColor(int32_t Color) const;
  int32_t GetMaxDC(int16_t Channel) const;
  int32_t GetMaxLum(int16_t Channel) const;
  int32_t GetToff(int32_t SetType, int16_t Channel, double SetValue) const;
  // Color takes no part; the luminance scale is the dimmest maximum
  // luminance among the red, green and blue channels not excepted.
  int32_t ConvertRGBtoLuminance(int32_t Color, int16_t ColorValue, bool ExceptR, bool ExceptG,
                                bool ExceptB) const;
  // The component value of the channel of colour Color; -1 when there is
  // no such channel.
  int16_t ConvertLuminanceToRGB(int32_t Color, int32_t Luminance) const;

  // Named by the system's interface: kept with the entry; the conversions
  // do not use them.
  double GetVL(int16_t Channel) const { return vl_[Clamp(Channel)]; }
  const Coefficients& GetCoef1(int16_t Channel) const { return coef1_[Clamp(Channel)]; }
  const Coefficients& GetCoef2(int16_t Channel) const { return coef2_[Clamp(Channel)]; }

 private:
  // Below 1 counts as 1, above NrOfChannels as NrOfChannels (and never
  // outside the arrays).
  int Clamp(int16_t Channel) const;
  bool InitChannel(int k, std::string_view block);

  // Indexed by channel 1..4; index 0 is not used.
  std::array<int32_t, 5> channelColor_{}, maxLum_{}, maxDC_{}, channelTon_{};
  std::array<double, 5> vl_{};
  std::array<Coefficients, 5> coef1_{}, coef2_{};
};

}  // namespace led
