// The worker threads of the main window. Each runs one job to its end, and
// a worker whose job has ended is joined at the next Start, so that a long
// run of logins, uploads and refreshes keeps no ended thread; at exit every
// worker is asked to stop and waited for, within a bound, before the objects
// the workers use are destroyed. Start, Held and StopAndJoin are called from
// one thread, the owner's.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <stop_token>
#include <thread>
#include <vector>

class WorkerThreads {
 public:
  // A job polls its token (or registers a std::stop_callback) and returns
  // soon after a stop is asked.
  using Job = std::function<void(std::stop_token)>;

  WorkerThreads();
  // Asks for a stop and waits up to kDefaultBound; workers still running
  // then are left to the end of the process.
  ~WorkerThreads();
  WorkerThreads(const WorkerThreads&) = delete;
  WorkerThreads& operator=(const WorkerThreads&) = delete;

  static constexpr std::chrono::milliseconds kDefaultBound{10000};

  // Joins the workers whose jobs have ended, then runs `job` on a thread of
  // its own. False, and the job is not run, once a stop has been asked or
  // when no thread can be made.
  bool Start(Job job);
  // Workers started and not yet ended.
  int Running() const;
  // Threads started and not yet joined: the running ones, and those that
  // ended since the last Start.
  int Held() const { return static_cast<int>(m_threads.size()); }
  bool StopRequested() const;

  // Asks every worker to stop and waits until all have ended or `bound` has
  // passed. True when all ended (they are joined); false when some still
  // run: they are left running, and what they use must outlive them (the
  // caller ends the process without destroying it). A later call does not
  // wait for those again.
  bool StopAndJoin(std::chrono::milliseconds bound = kDefaultBound);

 private:
  struct Shared;
  struct Worker {
    std::thread thread;
    // Set under Shared::mutex in the step that stops counting the worker as
    // running, so that Running and Held never tell two stories.
    std::shared_ptr<bool> ended;
  };
  // Joins the workers whose jobs have ended.
  void JoinEnded();

  std::shared_ptr<Shared> m_shared;
  std::vector<Worker> m_threads;
};
