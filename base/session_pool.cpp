#include "base/session_pool.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <utility>

#include "base/messages.h"
#include "base/session.h"

namespace nemora {

namespace {

// What a worker's routines show, kept with the index of the job that showed
// it; questions are answered Cancel, progress texts dropped.
class WorkerSink final : public MessageSink {
 public:
  void message(const std::string& text) override { kept.emplace_back(job, text); }
  bool question(const std::string& text) override {
    kept.emplace_back(job, text);
    return false;
  }
  void progress(const std::string&) override {}

  size_t job = 0;
  std::vector<std::pair<size_t, std::string>> kept;
};

}  // namespace

void clearUpperVectorState() {
#if defined(__x86_64__) && !defined(__AVX__) && (defined(__GNUC__) || defined(__clang__))
  // Built for AVX, the compiler clears the upper halves itself wherever
  // its code meets SSE code, and may keep values in them: nothing to do.
  static const bool avx = [] {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx") != 0;
  }();
  if (avx) __asm__ volatile("vzeroupper");
#endif
}

struct SessionPool::Worker {
  explicit Worker(const Session& caller) : session(sink) { prepareLike(caller, session); }
  WorkerSink sink;
  Session session;
};

void SessionPool::prepareLike(const Session& from, Session& to) {
  // A worker computes what the caller would: the same inputs, and the
  // weather the caller's last evaluation estimated.
  to.inputs = from.inputs;
  to.udtWeatherNow = from.udtWeatherNow;
  to.shareLoadedData(from);
}

void SessionPool::movePlace(Session& s, double dblLatitude, double dblLongitude, double dblHeight) {
  s.udtLocation.moveTo({dblLatitude, dblLongitude, dblHeight});
}

SessionPool::SessionPool(Session& caller, unsigned threads) : caller_(caller) {
  if (threads == 0) threads = std::max(1u, std::thread::hardware_concurrency());
  workers_.reserve(threads);
  for (unsigned i = 0; i < threads; ++i) workers_.push_back(std::make_unique<Worker>(caller));
}

SessionPool::~SessionPool() = default;

unsigned SessionPool::threadCount() const { return static_cast<unsigned>(workers_.size()); }

bool SessionPool::run(size_t count, const Job& job, const Progress& progress, const std::atomic<bool>* cancel) {
  std::atomic<size_t> next{0};
  std::atomic<size_t> done{0};
  std::atomic<bool> stop{false};
  std::mutex mutex;
  std::condition_variable finished;
  size_t running = workers_.size();
  // The first failure by job index, so that a run fails the same way
  // whatever the number of threads.
  size_t failedJob = count;
  std::exception_ptr failure;

  auto cancelled = [&] { return stop.load() || (cancel != nullptr && cancel->load()); };
  auto work = [&](Worker& w) {
    while (!cancelled()) {
      size_t i = next.fetch_add(1);
      if (i >= count) break;
      w.sink.job = i;
      // Before every job: a routine called by the last one may have used
      // AVX and left its traces (it costs a cycle).
      clearUpperVectorState();
      try {
        job(w.session, i);
      } catch (...) {
        std::lock_guard<std::mutex> lock(mutex);
        if (i < failedJob) {
          failedJob = i;
          failure = std::current_exception();
        }
        stop = true;
      }
      done.fetch_add(1);
    }
    std::lock_guard<std::mutex> lock(mutex);
    --running;
    finished.notify_all();
  };

  for (auto& w : workers_) w->sink.kept.clear();
  if (progress) progress(0);
  std::vector<std::thread> threads;
  threads.reserve(workers_.size());
  for (auto& w : workers_) threads.emplace_back(work, std::ref(*w));
  {
    std::unique_lock<std::mutex> lock(mutex);
    while (running > 0) {
      finished.wait_for(lock, std::chrono::milliseconds(100), [&] { return running == 0; });
      if (running > 0 && progress) {
        double fraction = count == 0 ? 1.0 : static_cast<double>(done.load()) / static_cast<double>(count);
        lock.unlock();
        progress(fraction);
        lock.lock();
      }
    }
  }
  for (auto& t : threads) t.join();

  // Each different text once, in job order.
  std::vector<std::pair<size_t, std::string>> kept;
  for (auto& w : workers_) {
    kept.insert(kept.end(), w->sink.kept.begin(), w->sink.kept.end());
    w->sink.kept.clear();
  }
  std::stable_sort(kept.begin(), kept.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  std::set<std::string> shown;
  for (const auto& [index, text] : kept)
    if (shown.insert(text).second) caller_.messages.message(text);

  if (failure) std::rethrow_exception(failure);
  bool complete = done.load() == count;
  if (complete && progress) progress(1);
  return complete;
}

}  // namespace nemora
