#pragma once
// morvane's QApplication: a barrier around the event loop. An exception
// that escapes an event handler (a timer slot that meets the HID variable
// layer's error 9999, a click handler that fails) would end the program;
// here it is caught where the event was delivered, shown to the user with
// its text, and the program goes on.

#include <QApplication>
#include <exception>
#include <functional>
#include <string>

namespace app {

// The text the user sees for an error that reached the event loop.
std::string UnexpectedErrorText(std::exception_ptr error);

class Application : public QApplication {
 public:
  Application(int& argc, char** argv) : QApplication(argc, argv) {}
  bool notify(QObject* receiver, QEvent* event) override;

  // Shows the text of an error caught at the barrier. Empty: a critical
  // message box. The main window routes it through its dialogs.
  void SetErrorReporter(std::function<void(const std::string&)> reporter) {
    reporter_ = std::move(reporter);
  }

 private:
  void Report(std::exception_ptr error);

  std::function<void(const std::string&)> reporter_;
  bool reporting_ = false;
};

// The running Application, or null when the program runs another kind.
Application* RunningApplication();

}  // namespace app
