// The one way every routine talks to the user: message boxes with OK, OK/Cancel
// questions and progress text. The window shows real message boxes, the
// command line writes to standard error, tests record the texts.
#pragma once

#include <string>
#include <vector>

namespace nemora {

class MessageSink {
 public:
  virtual ~MessageSink() = default;
  // An OK-only message box.
  virtual void message(const std::string& text) = 0;
  // An OK/Cancel question; true when the user chose OK.
  virtual bool question(const std::string& text) = 0;
  // Progress of a long search; an empty text closes the progress display.
  virtual void progress(const std::string& text) = 0;
};

// Writes every message to standard error, one per line (command line).
class StderrMessageSink final : public MessageSink {
 public:
  // Questions are answered with this value (scripts cannot answer).
  explicit StderrMessageSink(bool answer = true) : answer_(answer) {}
  void message(const std::string& text) override;
  bool question(const std::string& text) override;
  void progress(const std::string& text) override;

 private:
  bool answer_;
};

// Records every text, for tests to assert word for word.
class RecordingMessageSink final : public MessageSink {
 public:
  void message(const std::string& text) override { messages.push_back(text); }
  bool question(const std::string& text) override {
    questions.push_back(text);
    return answer;
  }
  void progress(const std::string& text) override { progressTexts.push_back(text); }

  // The last message shown, or "" when none.
  std::string last() const { return messages.empty() ? std::string() : messages.back(); }
  void clear() {
    messages.clear();
    questions.clear();
    progressTexts.clear();
  }

  std::vector<std::string> messages;
  std::vector<std::string> questions;
  std::vector<std::string> progressTexts;
  bool answer = true;  // the answer given to every question
};

}  // namespace nemora
