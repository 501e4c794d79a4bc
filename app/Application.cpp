#include "app/Application.h"

#include <QMessageBox>
#include <iostream>

#include "devlink/AppError.h"

namespace app {

std::string UnexpectedErrorText(std::exception_ptr error) {
  try {
    std::rethrow_exception(error);
  } catch (const devlink::AppError& e) {
    return std::string(e.what()) + "\n\nError " + std::to_string(e.Number()) + " in " + e.Source();
  } catch (const std::exception& e) {
    return std::string("An unexpected error has occurred: ") + e.what();
  } catch (...) {
    return "An unknown error has occurred!";
  }
}

bool Application::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (...) {
    Report(std::current_exception());
    return false;
  }
}

void Application::Report(std::exception_ptr error) {
  const std::string text = UnexpectedErrorText(error);
  // An error raised while the previous one is still on screen goes to
  // stderr rather than opening a box over the box.
  if (reporting_) {
    std::cerr << applicationName().toStdString() << ": " << text << '\n';
    return;
  }
  reporting_ = true;
  try {
    if (reporter_)
      reporter_(text);
    else
      QMessageBox::critical(activeWindow(), applicationName(), QString::fromStdString(text));
  } catch (...) {
    std::cerr << applicationName().toStdString() << ": " << text << '\n';
  }
  reporting_ = false;
}

Application* RunningApplication() {
  return dynamic_cast<Application*>(QCoreApplication::instance());
}

}  // namespace app
