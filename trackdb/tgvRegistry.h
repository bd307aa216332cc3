// The process-wide registry of open databases. A record does not point to its
// database: it carries the registry slot under which its database manager is
// registered, and finds the manager through this registry.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>

class tgvRecord_C;
class tgvDatabase_C;

// What a record needs from the database manager that owns it. The database
// manager implements it and registers itself.
class tgvRecordHost_I {
 public:
  // True while the database is open (not while it is being opened and loaded).
  virtual bool IsOpen() const = 0;
  // Writes the record's whole row with the UPDATE statement of its kind.
  virtual bool SaveRecord(tgvRecord_C* record) = 0;
  // The database's pooled copy of a text (null stays null).
  virtual const char16_t* InternString(const char16_t* text) = 0;
  // The lock held for every operation on the database and its records; null
  // for a host that is used by one thread only.
  virtual std::recursive_mutex* GetRecordLock() { return nullptr; }
  // The full database manager behind the host; null for other hosts.
  virtual tgvDatabase_C* GetManager() { return nullptr; }
  // Called after a record's link columns (start or end of a link row)
  // changed, so that indexes over them stay exact.
  virtual void OnLinkChanged(tgvRecord_C*) {}

 protected:
  ~tgvRecordHost_I() = default;
};

// Holds the record lock of a host (when it has one) for a scope.
class tgvHostLock {
 public:
  explicit tgvHostLock(tgvRecordHost_I* host) : m_lock(host ? host->GetRecordLock() : nullptr) {
    if (m_lock) m_lock->lock();
  }
  ~tgvHostLock() {
    if (m_lock) m_lock->unlock();
  }
  tgvHostLock(const tgvHostLock&) = delete;
  tgvHostLock& operator=(const tgvHostLock&) = delete;

 private:
  std::recursive_mutex* m_lock;
};

// Slots 1..kSlotCount - 1; slot 0 means "not registered". The slot lives in
// memory only, so the table is wide enough for one database per session of
// a large workspace. Lookups may come from any thread without a lock;
// registration is serialised by a lock.
class tgvDBRegistry_C {
 public:
  static constexpr uint32_t kSlotCount = 65536;  // slot 0 is never used

  tgvDBRegistry_C();

  // The registry of the process, made on first use and kept until exit.
  static tgvDBRegistry_C& Get();

  // Puts the host into the lowest free slot; 0 when every slot is taken.
  uint32_t Register(tgvRecordHost_I* host);
  // The host in a slot; null for 0, for kSlotCount and above and for a free slot.
  tgvRecordHost_I* Lookup(uint32_t slot) const;
  // Frees a slot that holds a host.
  void Unregister(uint32_t slot);

  uint32_t GetCount() const;
  uint32_t GetNextFree() const;

 private:
  mutable std::mutex m_lock;
  uint32_t m_nextFree;  // lowest free slot, 0 when none is left
  uint32_t m_count;
  std::unique_ptr<std::atomic<tgvRecordHost_I*>[]> m_table;
};
