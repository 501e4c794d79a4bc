#pragma once
// The application error that the HID variable layer raises for an
// unexpected failure inside one of its operations: number 9999, the text
// "An unknown error has occurred!" and a source naming the operation.

#include <stdexcept>
#include <string>

namespace devlink {

class AppError : public std::runtime_error {
 public:
  static constexpr int kUnknown = 9999;
  AppError(int number, std::string source);
  int Number() const { return number_; }
  const std::string& Source() const { return source_; }

 private:
  int number_;
  std::string source_;
};

// Runs `body`; any exception leaving it becomes AppError 9999 from `source`.
template <typename F>
auto GuardUnknown(const char* source, F&& body) -> decltype(body()) {
  try {
    return body();
  } catch (const AppError&) {
    throw;
  } catch (...) {
    throw AppError(AppError::kUnknown, source);
  }
}

}  // namespace devlink
