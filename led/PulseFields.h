#pragma once
// The pulse text fields of the LED panel: they show seconds, the pulses
// hold milliseconds. When a field loses the focus its text is corrected:
// times to multiples of 0.02 s (rounded down) within 0..10 s, the repeat
// count to a whole number within 1..10. Numbers are read the system's way
// (text::ReadNumber), "." is the decimal point whatever the locale.

#include <cstdint>
#include <string>
#include <string_view>

namespace led {

// A time in ms as seconds, rounded to hundredths (halves to even), in the
// shortest decimal form: 1500 -> "1.5", 20 -> "0.02".
std::string SecondsText(double ms);
// The seconds of a field as ms, held to 0..65535 ms (what the board and a
// settings file take).
double ReadSeconds(std::string_view text);
std::string RepeatText(int16_t NRep);
// The repeat count of a field, rounded halves to even and held to what a
// settings file takes (0..32767).
int16_t ReadRepeat(std::string_view text);

// The corrected texts of a time field and of the repeat count field.
std::string ValidateTimeText(std::string_view text);
std::string ValidateRepeatText(std::string_view text);

// What the user is told when a field's correction changed what was typed:
// 'Read as 1.22 s (typed "1.234"): times are multiples of 0.02 s from 0 to
// 10 s.' Empty when the field shows the number that was typed, only
// written another way ("1.0" read as "1"). A long text is quoted by its
// start.
std::string CorrectionNote(std::string_view typed, const std::string& read, bool repeat);

}  // namespace led
