#include "converter/ConverterWindow.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QShortcut>
#include <QStyleOptionButton>
#include <QStylePainter>
#include <QTreeView>
#include <QVBoxLayout>
#include <cstdio>

#include "widgets/FileBrowser.h"
#include "widgets/Named.h"
#include "widgets/QtDialogs.h"
#include "widgets/WavPlayer.h"

namespace converter {

using widgets::Named;

namespace {

// A push button whose caption breaks into lines where it holds a run of
// spaces: "   Convert WAV     to LSU" shows as "Convert WAV" over "to LSU".
class WrappingButton : public QPushButton {
 public:
  using QPushButton::QPushButton;
  QSize sizeHint() const override {
    const QSize text = fontMetrics().size(0, Lines());
    return {text.width() + 32, text.height() + 20};
  }
  QString Lines() const { return text().trimmed().split(QRegularExpression(" {2,}")).join('\n'); }

 protected:
  void paintEvent(QPaintEvent*) override {
    QStylePainter p(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    option.text.clear();
    p.drawControl(QStyle::CE_PushButton, option);
    p.drawText(rect(), Qt::AlignCenter, Lines());
  }
};

}  // namespace

ConverterWindow::ConverterWindow(const QString& appFolder, seams::UserDialogs* dialogs,
                                 const QString& startFolder)
    : guide_(appFolder) {
  setObjectName("Main");
  setWindowTitle("RiziRozod Converter");
  if (!dialogs) {
    auto qtDialogs = std::make_unique<widgets::QtDialogs>(this);
    // The information box draws any recording the converter reads.
    qtDialogs->SetSoundReader(SummariseRecording);
    ownDialogs_ = std::move(qtDialogs);
    dialogs = ownDialogs_.get();
  }
  // F1: the user guide at its page on brelka.
  connect(new QShortcut(QKeySequence(Qt::Key_F1), this), &QShortcut::activated, this,
          [this, dialogs] {
            if (!guide_.Open(this, "converter.html"))
              dialogs->Message(guide_.MissingText().toStdString(), seams::DialogIcon::Exclamation,
                               seams::DialogButtons::Ok);
          });
  actions_ = std::make_unique<ConverterActions>(wav_, *dialogs, *this, events_,
                                                [this] { return cancelRequested_; });

  auto* frame = Named<QGroupBox>("DiscFilesFrame", "File Explorer");
  auto* drives = Named<QComboBox>("DriveList");
  auto* dirs = Named<QTreeView>("DirList");
  auto* files = Named<QListWidget>("FileList");
  files->setSelectionMode(QAbstractItemView::ExtendedSelection);
  auto* fv = new QVBoxLayout(frame);
  fv->addWidget(drives);
  auto* lists = new QHBoxLayout;
  lists->addWidget(dirs, 1);
  lists->addWidget(files, 1);
  fv->addLayout(lists, 1);
  auto* resample = Named<QCheckBox>("ResampleCheck", kResampleCaption);
  auto* below = new QHBoxLayout;
  below->addWidget(Named<QLabel>("Label3", "Double-click to play"), 1);
  below->addWidget(resample);
  fv->addLayout(below);

  auto* logo = Named<QLabel>("Image2");
  const QPixmap picture(appFolder + "/taldrix_small.bmp");
  if (picture.isNull())
    std::fprintf(stderr, "brelka: picture %s/taldrix_small.bmp is missing\n",
                 qPrintable(appFolder));
  logo->setPixmap(picture);
  auto* convert = Named<WrappingButton>("ConvertBtn", kConvertCaption);
  waitFrame_ = Named<QFrame>("PleaseWaitFrame");
  waitFrame_->setFrameShape(QFrame::Box);
  auto* waitLayout = new QVBoxLayout(waitFrame_);
  waitLayout->addWidget(new QLabel("Please wait ..."));
  // A conversion that resamples shows how far it is and can be stopped.
  progress_ = Named<QProgressBar>("ConvertProgress");
  progress_->setRange(0, 1000);
  progress_->setTextVisible(false);
  cancel_ = Named<QPushButton>("CancelBtn", "Cancel");
  waitLayout->addWidget(progress_);
  waitLayout->addWidget(cancel_);
  ShowProgress(false);
  waitFrame_->hide();

  auto* side = new QVBoxLayout;
  side->addWidget(logo);
  side->addWidget(convert);
  side->addWidget(waitFrame_);
  side->addStretch(1);
  auto* layout = new QHBoxLayout(this);
  layout->addWidget(frame, 1);
  layout->addLayout(side);
  resize(720, 420);

  browser_ = new widgets::FileBrowser(drives, dirs, files);
  browser_->FillDrives();
  browser_->OpenFolder(startFolder.isEmpty() ? appFolder : startFolder);
  // One action at a time: a conversion and a playback both run the event
  // loop, and a second click on Convert, or a double-click on the list,
  // would start another one on the same WavFile. The controls wait.
  auto busy = [convert, files, resample](bool working) {
    convert->setEnabled(!working);
    files->setEnabled(!working);
    resample->setEnabled(!working);
  };
  connect(resample, &QCheckBox::toggled, this, [this](bool on) { actions_->SetResample(on); });
  connect(cancel_, &QPushButton::clicked, this, [this] {
    cancelRequested_ = true;
    cancel_->setEnabled(false);
  });
  connect(files, &QListWidget::itemDoubleClicked, this, [this, busy](QListWidgetItem* item) {
    busy(true);
    actions_->ShowInformation(browser_->PathOf(item->text()).toStdString());
    busy(false);
  });
  connect(convert, &QPushButton::clicked, this, [this, busy] {
    std::vector<std::string> selected;
    for (const QString& name : browser_->SelectedNames()) selected.push_back(name.toStdString());
    busy(true);
    actions_->Convert(browser_->Folder().toStdString(), selected,
                      browser_->CurrentName().toStdString());
    busy(false);
    // The new LSU files show in the list.
    browser_->RefreshFiles();
  });
}

ConverterWindow::~ConverterWindow() = default;

void ConverterWindow::ShowWaitPanel(bool visible) {
  waitFrame_->setVisible(visible);
  waitFrame_->repaint();
}

void ConverterWindow::ShowProgress(bool visible) {
  cancelRequested_ = false;
  cancel_->setEnabled(true);
  progress_->setValue(0);
  progress_->setVisible(visible);
  cancel_->setVisible(visible);
}

void ConverterWindow::SetProgress(double part) {
  progress_->setValue(int(part * 1000));
}

void ConverterWindow::PlayWav(const std::string& path, double seconds) {
  widgets::PlayWavAndWait(QString::fromStdString(path), seconds);
}

}  // namespace converter
