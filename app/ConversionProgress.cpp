#include "app/ConversionProgress.h"

#include <QProgressDialog>
#include <algorithm>

namespace app {

namespace {
constexpr int kSteps = 1000;
}  // namespace

ConversionProgress::ConversionProgress(QWidget* window, const QString& text)
    : dialog_(std::make_unique<QProgressDialog>(text, "Cancel", 0, kSteps, window)) {
  dialog_->setObjectName("ConversionProgress");
  dialog_->setWindowTitle("Converting");
  dialog_->setWindowModality(Qt::WindowModal);
  // Shown at once: an import of small files is over before the usual
  // delay, and the dialog is what keeps the window's controls out of reach.
  dialog_->setMinimumDuration(0);
  dialog_->setAutoClose(false);
  dialog_->setAutoReset(false);
  dialog_->setValue(0);
  dialog_->show();
  events_.LetEventsRun();
}

ConversionProgress::~ConversionProgress() = default;

bool ConversionProgress::Pump(double part) {
  dialog_->setValue(std::clamp(int(part * kSteps), 0, kSteps));
  events_.LetEventsRun();
  return dialog_->wasCanceled();
}

std::vector<converter::ConversionResult> ConvertShowingProgress(
    QWidget* window, const QString& text, std::vector<converter::ConversionJob> jobs) {
  const size_t count = jobs.size();
  ConversionProgress progress(window, text);
  converter::ConversionPool pool(std::move(jobs));
  auto pump = [&] {
    if (progress.Pump(pool.Progress()) && !pool.Cancelled()) pool.Cancel();
  };
  std::vector<converter::ConversionResult> results;
  for (size_t i = 0; i < count; ++i) {
    pump();
    results.push_back(pool.Wait(i, pump));
  }
  return results;
}

}  // namespace app
