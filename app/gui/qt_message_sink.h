// Message boxes of the window program, titled with the application's title.
#pragma once

#include <QPointer>
#include <QProgressDialog>
#include <QWidget>

#include "base/messages.h"

namespace nemora {

class QtMessageSink final : public MessageSink {
 public:
  void setParent(QWidget* parent) { parent_ = parent; }
  void message(const std::string& text) override;
  bool question(const std::string& text) override;
  void progress(const std::string& text) override;

 private:
  QPointer<QWidget> parent_;
  QPointer<QProgressDialog> progress_;
};

// The title of every window and message box.
inline constexpr const char* kApplicationTitle = "Nemora 3.1";

}  // namespace nemora
