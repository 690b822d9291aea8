// A window's long computation on a thread of its own, in a session of its
// own prepared like the window's, so that nothing the computation reports
// reaches the window's message boxes from another thread. Its progress and
// its end are delivered on the window's thread, and only those of the latest
// run: what a run cut short by a new one posts is dropped.
#pragma once

#include <QObject>

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "base/messages.h"

namespace nemora {

class Session;

class BackgroundJob {
 public:
  using Progress = std::function<void(double)>;
  // The computation: its session, its progress (a fraction) and the flag
  // that asks it to stop.
  using Work = std::function<void(Session&, const Progress&, const std::atomic<bool>&)>;

  explicit BackgroundJob(QObject* window);
  ~BackgroundJob();
  BackgroundJob(const BackgroundJob&) = delete;
  BackgroundJob& operator=(const BackgroundJob&) = delete;

  // Starts the work in a fresh session prepared like `like` (a running one
  // is stopped first). onProgress and onDone run on the window's thread;
  // onDone after the thread has ended, also when the run was cancelled. An
  // exception that leaves the work is kept as one of its messages.
  void start(const Session& like, Work work, Progress onProgress, std::function<void()> onDone);
  // Asks the running computation to stop, without waiting for it.
  void requestStop() { cancel_ = true; }
  // Stops the running computation and waits for its thread.
  void stop();
  // True from start until the end has been delivered (or the run stopped).
  bool running() const { return worker_.joinable(); }
  // What the last run reported.
  const std::vector<std::string>& messages() const { return sink_.messages; }

 private:
  QObject* window_;
  RecordingMessageSink sink_;
  std::unique_ptr<Session> session_;
  std::thread worker_;
  std::atomic<bool> cancel_{false};
  unsigned generation_ = 0;  // of the latest run (read on the window's thread only)
};

}  // namespace nemora
