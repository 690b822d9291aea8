#include "app/gui/help_window.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

#include "app/gui/qt_message_sink.h"

namespace nemora {

QString HelpWindow::helpFolder() {
  QString fromEnv = qEnvironmentVariable("NEMORA_HELP");
  if (!fromEnv.isEmpty()) return fromEnv;
  return QStringLiteral(NEMORA_HELP_DIR);
}

HelpWindow::HelpWindow(QWidget* parent) : QDialog(parent), browser_(new QTextBrowser(this)) {
  setWindowTitle(QString(kApplicationTitle) + " - Help");
  setObjectName("frmHelp");
  resize(720, 600);
  browser_->setOpenExternalLinks(false);
  browser_->setSearchPaths({helpFolder()});
  QString contents = QDir(helpFolder()).filePath("index.html");
  if (QFileInfo::exists(contents)) {
    browser_->setSource(QUrl::fromLocalFile(contents));
  } else {
    browser_->setPlainText("The help pages were not found in " + helpFolder() + ".");
  }
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(browser_);
  layout->addWidget(buttons);
}

}  // namespace nemora
