#pragma once
// How an operation of the logic layer tells how it went: a Result is ok, or
// a failure with the message that says why, worded for the user as it is
// (the window shows it in a message box, morvane-cli prints it on stderr).
// ResultOf<T> carries the value of a success too. It is the one way the
// logic layer reports failure: no bare bool for a failure that has a
// reason, no optional for a failure, no exception across a layer (the
// barrier at the event loop shows what escapes by mistake). A failure the
// user chose, a file dialog cancelled, carries no message.
//
// The system's own result values stay where callers or the wire rely on
// them: the board commands' Boolean success (TLS), HttpRequest's
// requestState 0..3, the download's FlashDownload::Outcome, the
// configuration loader's LoadResult and the WAV copy's WavFile::Result
// (exit codes and tests know them); the any-format conversion's
// ConversionResult already has this shape, a status and the message.

#include <cassert>
#include <optional>
#include <string>
#include <utility>

namespace seams {

class Result {
 public:
  // Ok.
  Result() = default;
  static Result Failure(std::string message) {
    Result failure;
    failure.failed_ = true;
    failure.message_ = std::move(message);
    return failure;
  }
  // The user chose not to go on (a file dialog cancelled): nothing to say.
  static Result Cancelled() { return Failure({}); }

  bool Ok() const { return !failed_; }
  explicit operator bool() const { return Ok(); }
  // Why it failed, for the user; empty when it went well or was cancelled.
  const std::string& Message() const { return message_; }

 private:
  bool failed_ = false;
  std::string message_;
};

template <typename T>
class ResultOf : public Result {
 public:
  ResultOf(T value) : value_(std::move(value)) {}
  // A failure (an ok Result has no value to give).
  ResultOf(Result failure) : Result(std::move(failure)) { assert(!Ok()); }

  // The value; only of a success.
  const T& operator*() const { return *value_; }
  const T* operator->() const { return &*value_; }

 private:
  std::optional<T> value_;
};

}  // namespace seams
