// Small factories for the controls of the windows: each creates a child of a
// given parent and gives it the object name by which the rest of the program
// (and the window tests) find it. Captions are passed through unchanged.
#pragma once

#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QString>
#include <QVBoxLayout>
#include <QWidget>
#include <utility>

namespace nemora {

// A new W(args..., parent) named `name`.
template <class W, class... Args>
W* makeNamed(QWidget* parent, const char* name, Args&&... args) {
  auto* widget = new W(std::forward<Args>(args)..., parent);
  widget->setObjectName(name);
  return widget;
}

// A label with its caption; a buddy, when given, takes the focus for the
// label's shortcut.
inline QLabel* makeLabel(QWidget* parent, const char* name, const QString& caption, QWidget* buddy = nullptr) {
  auto* label = makeNamed<QLabel>(parent, name, caption);
  if (buddy) label->setBuddy(buddy);
  return label;
}

// An empty text box.
inline QLineEdit* makeLineEdit(QWidget* parent, const char* name) { return makeNamed<QLineEdit>(parent, name); }

inline QPushButton* makeButton(QWidget* parent, const char* name, const QString& caption) {
  return makeNamed<QPushButton>(parent, name, caption);
}

// A frame with its title (none when empty) and no layout of its own.
inline QGroupBox* makeGroupBox(QWidget* parent, const char* name, const QString& caption = QString()) {
  return makeNamed<QGroupBox>(parent, name, caption);
}

// A frame of option buttons stacked top to bottom; fill it with makeOption.
inline QGroupBox* makeOptionFrame(QWidget* parent, const char* name, const QString& caption = QString()) {
  QGroupBox* frame = makeGroupBox(parent, name, caption);
  new QVBoxLayout(frame);
  return frame;
}

// An option button appended to a frame made by makeOptionFrame.
inline QRadioButton* makeOption(QGroupBox* frame, const char* name, const QString& caption) {
  auto* option = makeNamed<QRadioButton>(frame, name, caption);
  frame->layout()->addWidget(option);
  return option;
}

}  // namespace nemora
