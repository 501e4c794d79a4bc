#pragma once
// The sound side of the main window: the seven category controls with the
// volume slider, adding files from the browser by double-click (or by
// dropping them from the desktop's file manager), removing them by
// double-click, and playing an LSU file by Ctrl+click. It is also what the
// configuration loader fills.

#include <QObject>
#include <QString>
#include <functional>

#include "seams/UserDialogs.h"
#include "sound/CategoryDisplays.h"
#include "sound/LSU_Configuration.h"

class QLabel;
class QListWidget;
class QRadioButton;
class QSlider;
class QWidget;

namespace widgets {
class FileBrowser;
}

namespace app {

class SoundPanel : public QObject, public sound::CategoryDisplays {
 public:
  struct Setup {
    QWidget* window;  // holds every control by name
    sound::LSU_Configuration* config;
    seams::UserDialogs* dialogs;
    widgets::FileBrowser* browser;
    QString scratchFolder;  // where temp.wav is written
    std::function<void()> updateMemoryStatus;
    // Plays a WAV file to its end; null: the sound output.
    std::function<void(const QString& wav, double seconds)> play;
  };
  explicit SoundPanel(Setup setup);

  // The category of the first option button that is set, 0 for none.
  int SelectedCategory() const;
  // Adds a file to a category as a double-click does; true when added.
  bool AddToCategory(const QString& path, int category);
  // Plays an LSU file through "temp.wav" in the scratch folder.
  void PlayLSU(const QString& path);
  void HideVolume();

  int16_t VolumeType = 0;
  int16_t VolumeIndex = 0;

  // CategoryDisplays.
  void SetFileLabel(sound::FileType category, const std::string& name) override;
  void ClearList(sound::FileType category) override;
  void AddToList(sound::FileType category, const std::string& name) override;
  void UpdateMemoryStatus() override { setup_.updateMemoryStatus(); }
  void DoEvents() override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  struct Category {
    sound::FileType code;
    QRadioButton* option;
    QLabel* label;      // single categories
    QListWidget* list;  // list categories
    QWidget* viewport;  // the list's, where its mouse events arrive
  };
  const Category* CategoryOf(const QObject* control) const;
  const Category& CategoryFor(int code) const;
  // Selects the category as a click on its control does.
  void Select(int code);
  void SelectSingle(const Category& c);
  void SelectInList(const Category& c);
  void Remove(const Category& c);
  void PlayFromCategory(const Category& c);
  void ShowVolume(int volume);

  Setup setup_;
  std::vector<Category> categories_;  // in option order: boot .. lock-up
  QSlider* volume_;
  QListWidget* files_;
  QWidget* filesViewport_;
  QWidget* wait_;
};

}  // namespace app
