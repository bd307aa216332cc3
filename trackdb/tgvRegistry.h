// The process-wide registry of open databases. A record does not point to its
// database: it carries the registry slot (1..254) under which its database
// manager is registered, and finds the manager through this registry.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>

class tgvRecord_C;

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

 protected:
  ~tgvRecordHost_I() = default;
};

// Slots 1..254; slot 0 means "not registered". Lookups may come from any
// thread; registration is serialised by a lock.
class tgvDBRegistry_C {
 public:
  static constexpr uint32_t kSlotCount = 255;  // slot 0 is never used

  tgvDBRegistry_C();

  // The registry of the process, made on first use and kept until exit.
  static tgvDBRegistry_C& Get();

  // Puts the host into the lowest free slot; 0 when all 254 slots are taken.
  uint8_t Register(tgvRecordHost_I* host);
  // The host in a slot; null for 0, for 255 and above and for a free slot.
  tgvRecordHost_I* Lookup(uint32_t slot) const;
  // Frees a slot that holds a host.
  void Unregister(uint32_t slot);

  uint8_t GetCount() const;
  uint8_t GetNextFree() const;

 private:
  mutable std::mutex m_lock;
  uint8_t m_nextFree;  // lowest free slot, 0 when none is left
  uint8_t m_count;
  std::atomic<tgvRecordHost_I*> m_table[kSlotCount];
};
