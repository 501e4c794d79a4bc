#pragma once
// A strip with the waveform of one sound file: for every pixel column the
// lowest and highest value the board plays there, at the file's volume,
// between two dashed lines at the board's full scale; the file's name at
// the left, its length at the right ("2.4 s") and, while it plays, a play
// head. Painted by hand: a chart would cost more than the few lines drawn.
//
// The file is read on the strip's worker thread (sound::WaveformService)
// and kept, so the window never waits and a file already read, at any
// width or volume, is drawn at once. Meanwhile the strip says it is
// reading; a file that cannot be shown says why.

#include <QFrame>
#include <QString>
#include <memory>
#include <optional>

#include "sound/Waveform.h"
#include "sound/WaveformService.h"

namespace widgets {

class WaveformStrip : public QFrame {
 public:
  enum class State { Empty, Reading, Shown, Failed };

  // reader: how a file becomes a summary, on the worker thread (LSU files
  // by default).
  explicit WaveformStrip(const QString& name,
                         sound::WaveformService::Reader reader = sound::SummariseLsu,
                         QWidget* parent = nullptr);
  ~WaveformStrip() override;

  // Shows the sound of the file at the volume (0..100).
  void ShowFile(const QString& path, int volume);
  // Shows nothing.
  void Clear();
  // Forgets every file read (the reader's rules changed) and reads the
  // shown one again.
  void Reload();
  // The play head at that many seconds from the start of the sound.
  void SetPlayHead(double seconds);
  void HidePlayHead();

  State CurrentState() const { return state_; }
  QString Path() const { return path_; }
  int Volume() const { return volume_; }
  // What the strip says instead of a waveform: reading, or why not.
  QString Note() const { return note_; }
  // The columns drawn, one per pixel of the strip's inside.
  const sound::WaveformPicture& Picture() const { return picture_; }
  std::optional<double> PlayHead() const { return playHead_; }
  sound::WaveformService& Service() { return *service_; }

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  using Summary = sound::WaveformService::Summary;
  // On the window's thread: the summary of a requested file came.
  void Arrived(const QString& path, const seams::ResultOf<Summary>& summary);
  void Use(Summary summary);
  void Derive();
  void SetNote(State state, const QString& note);
  void UpdateTip();

  std::unique_ptr<sound::WaveformService> service_;
  State state_ = State::Empty;
  QString path_;
  int volume_ = 100;
  QString note_;
  Summary summary_;
  sound::WaveformPicture picture_;
  std::optional<double> playHead_;
};

}  // namespace widgets
