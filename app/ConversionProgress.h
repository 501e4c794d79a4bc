#pragma once
// The progress of conversions the main window runs (a folder made into a
// font, recordings added to a category): a window-modal dialog with the
// part done and a Cancel button. The conversions run on worker threads;
// the window's thread waits for them and calls Pump every 15 ms or so,
// which shows the part done and lets the window's events run through the
// event pump, so the window keeps painting and Cancel can be clicked.

#include <QString>
#include <memory>
#include <vector>

#include "converter/ConversionPool.h"
#include "seams/QtEventPump.h"

class QProgressDialog;
class QWidget;

namespace app {

class ConversionProgress {
 public:
  // Shows the dialog over the window and lets it paint.
  ConversionProgress(QWidget* window, const QString& text);
  ~ConversionProgress();
  ConversionProgress(const ConversionProgress&) = delete;
  ConversionProgress& operator=(const ConversionProgress&) = delete;

  // Shows the part done, 0 to 1, and lets the window's events run. True
  // once the user pressed Cancel (or closed the dialog).
  bool Pump(double part);

 private:
  std::unique_ptr<QProgressDialog> dialog_;
  seams::QtEventPump events_;
};

// Converts the jobs two at a time with the dialog shown; the results in
// job order (Cancelled for those the user's cancel stopped).
std::vector<converter::ConversionResult> ConvertShowingProgress(
    QWidget* window, const QString& text, std::vector<converter::ConversionJob> jobs);

}  // namespace app
