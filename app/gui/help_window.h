// The help viewer: the pages of help/ in a browser window, opened at their contents.
#pragma once

#include <QDialog>

class QTextBrowser;

namespace nemora {

class HelpWindow : public QDialog {
  Q_OBJECT
 public:
  explicit HelpWindow(QWidget* parent = nullptr);
  // Folder of the help pages: $NEMORA_HELP when set, else help/ of the source tree.
  static QString helpFolder();

 private:
  QTextBrowser* browser_;
};

}  // namespace nemora
