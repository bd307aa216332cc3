#include "appcore/WorkerThreads.h"

#include <condition_variable>
#include <mutex>
#include <system_error>

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
  {
    std::lock_guard<std::mutex> lock(m_shared->mutex);
    ++m_shared->running;
  }
  std::shared_ptr<Shared> shared = m_shared;
  try {
    m_threads.emplace_back([shared, job = std::move(job)]() {
      job(shared->stop.get_token());
      {
        std::lock_guard<std::mutex> lock(shared->mutex);
        --shared->running;
      }
      shared->ended.notify_all();
    });
  } catch (const std::system_error&) {
    std::lock_guard<std::mutex> lock(m_shared->mutex);
    --m_shared->running;
    return false;
  }
  return true;
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
  for (std::thread& t : m_threads) {
    if (!t.joinable()) continue;
    // An ended worker has only its return left: join it. One still running
    // after the bound is let go.
    if (allEnded)
      t.join();
    else
      t.detach();
  }
  m_threads.clear();
  return allEnded;
}
