#include "trackdb/tgvRegistry.h"

tgvDBRegistry_C::tgvDBRegistry_C() : m_nextFree(1), m_count(0), m_table(new std::atomic<tgvRecordHost_I*>[kSlotCount]) {
  for (uint32_t s = 0; s < kSlotCount; ++s) m_table[s].store(nullptr, std::memory_order_relaxed);
}

tgvDBRegistry_C& tgvDBRegistry_C::Get() {
  static tgvDBRegistry_C registry;
  return registry;
}

uint32_t tgvDBRegistry_C::Register(tgvRecordHost_I* host) {
  if (!host) return 0;
  std::lock_guard<std::mutex> guard(m_lock);
  if (m_count >= kSlotCount - 1 || m_nextFree == 0) return 0;
  const uint32_t slot = m_nextFree;
  m_table[slot].store(host, std::memory_order_release);
  ++m_count;
  m_nextFree = 0;
  for (uint32_t s = slot + 1u; s < kSlotCount; ++s) {
    if (!m_table[s].load(std::memory_order_relaxed)) {
      m_nextFree = s;
      break;
    }
  }
  return slot;
}

tgvRecordHost_I* tgvDBRegistry_C::Lookup(uint32_t slot) const {
  if (slot == 0 || slot >= kSlotCount) return nullptr;
  return m_table[slot].load(std::memory_order_acquire);
}

void tgvDBRegistry_C::Unregister(uint32_t slot) {
  if (slot == 0 || slot >= kSlotCount) return;
  std::lock_guard<std::mutex> guard(m_lock);
  if (!m_table[slot].load(std::memory_order_relaxed)) return;
  m_table[slot].store(nullptr, std::memory_order_release);
  --m_count;
  if (m_nextFree == 0 || m_nextFree > slot) m_nextFree = slot;
}

uint32_t tgvDBRegistry_C::GetCount() const {
  std::lock_guard<std::mutex> guard(m_lock);
  return m_count;
}

uint32_t tgvDBRegistry_C::GetNextFree() const {
  std::lock_guard<std::mutex> guard(m_lock);
  return m_nextFree;
}
