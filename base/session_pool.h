// Many independent evaluations (the cells of a map, the records of a list of
// sightings) on several threads. Each worker thread has a Session of its own,
// prepared like the caller's: the same inputs, settings, observer, criterion,
// weather and data folders, and the same loaded location database. Data read
// from the shipped files is shared between the sessions by the loaders, so
// it is read once however many workers there are.
//
// Jobs are numbered 0 to count - 1 and handed out in that order to whichever
// worker is free. A job must write its result where its index says (a vector
// element of its own) and depend on nothing but its index and the worker's
// session inputs, so the results are the same whatever the number of
// threads. What a session keeps (positions, the sky, the visibility table)
// is kept with the inputs it was found for, so a job may move its worker's
// session to another place (see movePlace) without forgetting anything.
//
// Messages: a worker cannot show a message box, so what its routines show is
// kept with the job's index; after the run the caller's session shows each
// different text once, in the order of the jobs. A worker's OK/Cancel
// question is answered Cancel (nobody is there to answer it), and its
// progress texts are dropped: the pool reports progress as a whole.
#pragma once

#include <atomic>
#include <cstddef>
#include <functional>
#include <memory>
#include <vector>

namespace nemora {

class Session;

// Clears the upper halves of the calling thread's AVX registers (on x86-64
// processors that have them; elsewhere nothing). The computations are
// compiled to SSE instructions, and on some processors each of those runs
// several times slower while the upper halves hold what an AVX routine left
// there: a thread starts with a copy of its creator's registers, so a worker
// started from the window's thread, whose drawing routines use AVX, may
// otherwise run its whole computation at that cost. Every thread that
// computes calls this before its work.
void clearUpperVectorState();

class SessionPool {
 public:
  // A pool of `threads` workers (0: one per hardware thread, at least one),
  // each with a session prepared from `caller` as it is now. Later changes
  // of the caller's session do not reach the workers; make a new pool.
  explicit SessionPool(Session& caller, unsigned threads = 0);
  ~SessionPool();
  SessionPool(const SessionPool&) = delete;
  SessionPool& operator=(const SessionPool&) = delete;

  unsigned threadCount() const;

  // A job: the worker's session and the job's index.
  using Job = std::function<void(Session& worker, size_t index)>;
  // Fraction of the jobs done, 0 to 1. Called only from the thread that
  // called run, at the start, about ten times a second while the workers run,
  // and with 1 when every job is done.
  using Progress = std::function<void(double fraction)>;

  // Runs jobs 0 to count - 1 and waits for them. Returns true when every job
  // ran; false when *cancel became true (set from any thread, e.g. by the
  // progress callback or a Cancel button): no new job starts after that, the
  // running ones finish, and run returns. An exception thrown by a job stops
  // the others; run rethrows the one of the lowest job index.
  bool run(size_t count, const Job& job, const Progress& progress = {}, const std::atomic<bool>* cancel = nullptr);

  // run with one result per job, stored by index: results[i] = compute(s, i).
  template <class Result, class Compute>
  bool runCollect(size_t count, std::vector<Result>& results, Compute&& compute, const Progress& progress = {},
                  const std::atomic<bool>* cancel = nullptr) {
    results.assign(count, Result{});
    return run(
        count, [&](Session& s, size_t i) { results[i] = compute(s, i); }, progress, cancel);
  }

  // Prepares a session as the pool prepares its workers: the caller's
  // inputs, settings and shared location database.
  static void prepareLike(const Session& caller, Session& worker);

  // Puts a worker's session at another place (latitude north, longitude east
  // in (-180, 180], height in metres): the place of the calculations and the
  // position the weather is estimated for.
  static void movePlace(Session& worker, double dblLatitude, double dblLongitude, double dblHeight);

 private:
  struct Worker;
  Session& caller_;
  std::vector<std::unique_ptr<Worker>> workers_;
};

}  // namespace nemora
