#include "appcore/WorkerThreads.h"

#include <algorithm>
#include <condition_variable>
#include <exception>
#include <mutex>

// What the workers share with the owner. A worker holds it too, so a worker
// left running past the bound never touches a destroyed owner.
struct WorkerThreads::Shared {
  std::stop_source stop;
  std::mutex mutex;
  std::condition_variable ended;
  int running = 0;
};

WorkerThreads::WorkerThreads() : m_shared(std::make_shared<Shared>()) {}

WorkerThreads::~WorkerThreads() { StopAndJoin(); }

bool WorkerThreads::Start(Job job) {
  if (StopRequested()) return false;
  JoinEnded();
  {
    std::lock_guard<std::mutex> lock(m_shared->mutex);
    ++m_shared->running;
  }
  std::shared_ptr<Shared> shared = m_shared;
  try {
    // Room first: once the thread runs, keeping it cannot fail.
    m_threads.reserve(m_threads.size() + 1);
    auto ended = std::make_shared<bool>(false);
    std::thread thread([shared, ended, job = std::move(job)]() {
      job(shared->stop.get_token());
      {
        // One step: a worker that no longer counts as running is ended.
        std::lock_guard<std::mutex> lock(shared->mutex);
        --shared->running;
        *ended = true;
      }
      shared->ended.notify_all();
    });
    m_threads.push_back(Worker{std::move(thread), std::move(ended)});
  } catch (const std::exception&) {
    // No thread, or no room to keep it: the job does not run.
    std::lock_guard<std::mutex> lock(m_shared->mutex);
    --m_shared->running;
    return false;
  }
  return true;
}

void WorkerThreads::JoinEnded() {
  std::vector<Worker>::iterator ended;
  {
    std::lock_guard<std::mutex> lock(m_shared->mutex);
    ended = std::partition(m_threads.begin(), m_threads.end(), [](const Worker& w) { return !*w.ended; });
  }
  // Only their return is left.
  for (auto it = ended; it != m_threads.end(); ++it) it->thread.join();
  m_threads.erase(ended, m_threads.end());
}

int WorkerThreads::Running() const {
  std::lock_guard<std::mutex> lock(m_shared->mutex);
  return m_shared->running;
}

bool WorkerThreads::StopRequested() const { return m_shared->stop.stop_requested(); }

bool WorkerThreads::StopAndJoin(std::chrono::milliseconds bound) {
  m_shared->stop.request_stop();
  // Workers let go by an earlier call are not waited for again.
  if (m_threads.empty()) return Running() == 0;
  bool allEnded;
  {
    std::unique_lock<std::mutex> lock(m_shared->mutex);
    allEnded = m_shared->ended.wait_for(lock, bound, [this] { return m_shared->running == 0; });
  }
  for (Worker& w : m_threads) {
    if (!w.thread.joinable()) continue;
    // An ended worker has only its return left: join it. One still running
    // after the bound is let go.
    if (allEnded)
      w.thread.join();
    else
      w.thread.detach();
  }
  m_threads.clear();
  return allEnded;
}
