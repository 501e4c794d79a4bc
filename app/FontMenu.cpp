#include "app/FontMenu.h"

#include <QMenu>
#include <QWidget>

#include "sound/BoardCheck.h"
#include "sound/FontExport.h"

namespace app {

FontMenu::FontMenu(Setup setup) : QObject(setup.frame), setup_(std::move(setup)) {
  // A right-click anywhere in the frame, its lists and labels included
  // (they pass the request on), opens the menu.
  setup_.frame->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(setup_.frame, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& at) { Show(at); });
}

void FontMenu::Show(const QPoint& at) {
  QMenu menu(setup_.frame);
  menu.setObjectName("FontMenu");
  QAction* exportFolder = menu.addAction(kExportFontAction);
  exportFolder->setObjectName("ExportFontAction");
  exportFolder->setEnabled(setup_.config->TotalNrOfSamples() > 0);
  QAction* compare = menu.addAction(kCompareAction);
  compare->setObjectName("CompareBoardAction");
  compare->setEnabled(setup_.soundBoard() != nullptr);
  QAction* chosen = menu.exec(setup_.frame->mapToGlobal(at));
  if (chosen == exportFolder) {
    sound::ExportFontWithDialog(*setup_.config, *setup_.dialogs, setup_.appFolder.toStdString());
  } else if (chosen == compare) {
    // The board may have gone while the menu was open.
    if (devlink::TLS* link = setup_.soundBoard())
      sound::CompareWithBoardAndTell(*setup_.config, *link, *setup_.dialogs);
  }
}

}  // namespace app
