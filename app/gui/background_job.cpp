#include "app/gui/background_job.h"

#include <exception>

#include "app/session.h"
#include "base/session_pool.h"
#include "base/errors.h"

namespace nemora {

BackgroundJob::BackgroundJob(QObject* window) : window_(window) {}

BackgroundJob::~BackgroundJob() { stop(); }

void BackgroundJob::stop() {
  if (!worker_.joinable()) return;
  cancel_ = true;
  worker_.join();
}

void BackgroundJob::start(const Session& like, Work work, Progress onProgress, std::function<void()> onDone) {
  stop();
  cancel_ = false;
  sink_.clear();
  session_ = std::make_unique<Session>(sink_);
  SessionPool::prepareLike(like, *session_);
  const unsigned generation = ++generation_;
  // Runs on the window's thread unless a newer run has started since.
  auto post = [this, generation](std::function<void()> f) {
    QMetaObject::invokeMethod(
        window_, [this, generation, f = std::move(f)] { if (generation == generation_) f(); },
        Qt::QueuedConnection);
  };
  worker_ = std::thread([this, work = std::move(work), onProgress = std::move(onProgress),
                         onDone = std::move(onDone), post] {
    // Started from the window's thread: see clearUpperVectorState.
    clearUpperVectorState();
    try {
      work(*session_, [&](double f) { post([onProgress, f] { onProgress(f); }); }, cancel_);
    } catch (const AppError& e) {
      sink_.message(errorText(e));
    } catch (const std::exception& e) {
      // Nothing may leave the thread: the window shows what went wrong.
      sink_.message(e.what());
    }
    post([this, onDone] {
      if (worker_.joinable()) worker_.join();  // not when stopped already
      onDone();
    });
  });
}

}  // namespace nemora
