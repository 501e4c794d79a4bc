#pragma once
// Whether the board already holds a sound configuration, without erasing or
// writing anything: the configuration is checked and coded as for a
// download, its memory map built, and the board is asked with CheckCRC for
// the 16-bit byte sum of the file table and of every file's range. Equal
// sums on every range mean the board holds these sounds. One CheckCRC per
// file and one for the table: at most 41 round trips, against the erase and
// the thousands of block writes of a download.
//
// A 16-bit byte sum catches every realistic difference between two fonts
// (another sound, another volume, another order, other lengths), but it is
// no cryptographic proof: two ranges can be made to have the same sum.

#include <string>
#include <vector>

#include "devlink/TLS.h"
#include "seams/EventPump.h"
#include "seams/UserDialogs.h"
#include "seams/WindowHooks.h"
#include "sound/LSU_Configuration.h"

namespace sound {

inline constexpr const char* kBoardHoldsThis = "The board holds this sound configuration.";
inline constexpr const char* kBoardHoldsOther = "The board holds a different sound configuration.";

struct BoardCheckLine {
  std::string what;  // "file table", or the category and file name: "Motion 2: swing2.lsu"
  bool same = false;
};

struct BoardCheck {
  enum class Outcome {
    Same,      // every range holds what the configuration codes to
    Differs,   // some range holds something else
    NoAnswer,  // the board stopped answering: "Connection lost"
    Refused,   // not checked: refusal says why (a category missing, too big, not coded)
  };
  Outcome outcome = Outcome::Refused;
  std::string refusal;
  std::vector<BoardCheckLine> lines;  // the table, then every file in flash order

  // "same     Boot: boot.lsu" per line, then the verdict line; the refusal
  // or "Connection lost" where there is no verdict.
  std::string Report() const;
};

// Checks the configuration as a download does (every category filled, it
// fits the board's MaxNrOfSamples), codes it reporting through hooks and
// letting events run through events, then compares. Sends nothing but
// CheckCRC to the board.
BoardCheck CompareWithBoard(LSU_Configuration& config, devlink::TLS& link,
                            seams::WindowHooks& hooks, seams::EventPump& events);

// The window's "Compare with board": compares and shows the report in a
// message box (information when the board holds the configuration, a
// warning when it differs, an error when the board stopped answering).
BoardCheck CompareWithBoardAndTell(LSU_Configuration& config, devlink::TLS& link,
                                   seams::UserDialogs& dialogs);

// Why the configuration cannot go to the board: it holds more samples than
// the board's MaxNrOfSamples. Empty when it fits.
std::string DoesNotFitMessage(const LSU_Configuration& config);

// "same     file table" or "differs  Motion 2: swing2.lsu".
std::string LineText(const BoardCheckLine& line);

}  // namespace sound
