#pragma once

#include "cli/CliCommand.h"

namespace frontend {

// "led info|set-type|send|save|apply": the LED driver's configuration and
// pulses, through the same panel logic as the window's LED panel.
extern const CliCommand kLedCommand;

}  // namespace frontend
