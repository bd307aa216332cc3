#include "platform/win32/namedmutex.h"

#include <fcntl.h>
#include <pthread.h>
#include <sys/file.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <thread>

#include "platform/win32/knownfolders.h"
#include "platform/win32/utf.h"

namespace {

// One name as this process has it open. The lock file stays open while a
// handle or a take remains, so that ownership outlives a closed handle.
struct MutexObject {
  std::string name;
  int fd = -1;
  std::thread::id owner;
  unsigned takes = 0;
  unsigned handles = 0;
  std::condition_variable freed;
};

struct MutexHandle {
  MutexObject* object;
};

std::mutex g_lock;
std::map<std::string, MutexObject*> g_byName;
std::set<MutexHandle*> g_live;

bool IsGoodName(const std::u16string_view name) {
  if (name.empty() || name == u"." || name == u"..") return false;
  for (char16_t c : name)
    if (c == u'/' || c < 0x20) return false;
  return true;
}

std::filesystem::path LockFolder() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime != nullptr && runtime[0] == '/') return runtime;
  return std::filesystem::path(Utf16ToUtf8(GetSettingsFolderPath()));
}

MutexObject* Lookup(HANDLE h) {
  auto* handle = static_cast<MutexHandle*>(h);
  return g_live.count(handle) ? handle->object : nullptr;
}

void DropIfUnused(MutexObject* object) {
  if (object->handles > 0 || object->takes > 0) return;
  close(object->fd);
  g_byName.erase(object->name);
  delete object;
}

// A child made by fork owns nothing of its parent and has no name open: it
// forgets the parent's objects (its copies of the lock files close, which
// leaves the parent's locks in place).
void ForgetAfterFork() {
  for (auto& [name, object] : g_byName) {
    close(object->fd);
    delete object;
  }
  g_byName.clear();
  for (MutexHandle* handle : g_live) delete handle;
  g_live.clear();
  g_lock.unlock();
}

void RegisterForkHandlers() {
  static const int registered = pthread_atfork([]() { g_lock.lock(); }, []() { g_lock.unlock(); }, ForgetAfterFork);
  (void)registered;
}

HANDLE NewHandle(MutexObject* object) {
  auto* handle = new MutexHandle{object};
  ++object->handles;
  g_live.insert(handle);
  return handle;
}

}  // namespace

HANDLE CreateMutexW(void*, BOOL initialOwner, LPCWSTR name) {
  if (name == nullptr || !IsGoodName(name)) {
    SetLastError(ERROR_INVALID_NAME);
    return nullptr;
  }
  const std::string utf8 = Utf16ToUtf8(name);
  RegisterForkHandlers();
  std::lock_guard<std::mutex> guard(g_lock);
  if (auto it = g_byName.find(utf8); it != g_byName.end()) {
    SetLastError(ERROR_ALREADY_EXISTS);
    return NewHandle(it->second);
  }
  std::error_code ec;
  const std::filesystem::path folder = LockFolder();
  std::filesystem::create_directories(folder, ec);
  const std::string path = (folder / (utf8 + ".lock")).string();
  const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) {
    SetLastError(ERROR_ACCESS_DENIED);
    return nullptr;
  }
  auto* object = new MutexObject;
  object->name = utf8;
  object->fd = fd;
  // Held by another process: the mutex exists there, and is not taken here.
  const bool existed = flock(fd, LOCK_EX | LOCK_NB) != 0;
  if (!existed) {
    if (initialOwner) {
      object->owner = std::this_thread::get_id();
      object->takes = 1;
    } else {
      flock(fd, LOCK_UN);
    }
  }
  g_byName[utf8] = object;
  SetLastError(existed ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
  return NewHandle(object);
}

DWORD WaitForMutex(HANDLE mutex, DWORD ms) {
  using Clock = std::chrono::steady_clock;
  const auto deadline = Clock::now() + std::chrono::milliseconds(ms);
  const auto timedOut = [&]() { return ms != INFINITE && Clock::now() >= deadline; };
  std::unique_lock<std::mutex> guard(g_lock);
  MutexObject* object = Lookup(mutex);
  if (object == nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    return WAIT_FAILED;
  }
  const std::thread::id self = std::this_thread::get_id();
  if (object->takes > 0 && object->owner == self) {
    ++object->takes;
    return WAIT_OBJECT_0;
  }
  for (;;) {
    // Another thread of this process owns it: wait for its release.
    while (object->takes > 0) {
      if (ms == INFINITE)
        object->freed.wait(guard);
      else if (object->freed.wait_until(guard, deadline) == std::cv_status::timeout && object->takes > 0)
        return WAIT_TIMEOUT;
    }
    if (flock(object->fd, LOCK_EX | LOCK_NB) == 0) {
      object->owner = self;
      object->takes = 1;
      return WAIT_OBJECT_0;
    }
    // Another process owns it: it is free once that process releases it or
    // ends, which no signal announces, so look again shortly.
    if (timedOut()) return WAIT_TIMEOUT;
    guard.unlock();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    guard.lock();
  }
}

BOOL ReleaseMutex(HANDLE mutex) {
  std::lock_guard<std::mutex> guard(g_lock);
  MutexObject* object = Lookup(mutex);
  if (object == nullptr || object->takes == 0 || object->owner != std::this_thread::get_id()) {
    SetLastError(object == nullptr ? ERROR_INVALID_HANDLE : ERROR_ACCESS_DENIED);
    return FALSE;
  }
  if (--object->takes == 0) {
    object->owner = std::thread::id();
    flock(object->fd, LOCK_UN);
    object->freed.notify_all();
    DropIfUnused(object);
  }
  return TRUE;
}

BOOL CloseMutexHandle(HANDLE mutex) {
  std::lock_guard<std::mutex> guard(g_lock);
  MutexObject* object = Lookup(mutex);
  if (object == nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  auto* handle = static_cast<MutexHandle*>(mutex);
  g_live.erase(handle);
  delete handle;
  --object->handles;
  DropIfUnused(object);
  return TRUE;
}
