#include "app/gui/qt_message_sink.h"

#include <QApplication>
#include <QMessageBox>

namespace nemora {

void QtMessageSink::message(const std::string& text) {
  QMessageBox::information(parent_, kApplicationTitle, QString::fromStdString(text), QMessageBox::Ok);
}

bool QtMessageSink::question(const std::string& text) {
  return QMessageBox::question(parent_, kApplicationTitle, QString::fromStdString(text),
                               QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Ok) == QMessageBox::Ok;
}

void QtMessageSink::progress(const std::string& text) {
  if (text.empty()) {
    if (progress_) progress_->close();
    return;
  }
  if (!progress_) {
    progress_ = new QProgressDialog(parent_);
    progress_->setWindowTitle(kApplicationTitle);
    progress_->setCancelButton(nullptr);
    progress_->setRange(0, 0);
    progress_->setAttribute(Qt::WA_DeleteOnClose);
  }
  progress_->setLabelText(QString::fromStdString(text));
  progress_->show();
  QApplication::processEvents();
}

}  // namespace nemora
