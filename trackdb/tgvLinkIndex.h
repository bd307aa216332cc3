// The link records of one store (kinds 4 and 5: tag, file and style links
// and values) by their two ends, and the properties by their owner (their
// start; they have no end), so that the links of a record, the links to a
// record, a value of an object and a property of an object are found
// without a walk of their table. Ends are keyed with the record's user type
// and the end's type, so one index serves every such table.
//
// A bucket keeps its links in id order (the order of the table's rows).
// Changes wait: a link that was made or whose end moved joins the buckets of
// its ends at the next look-up, and a bucket it joined out of order is put in
// order then. Entries that no longer match their key (deleted, moved) are
// dropped when a look-up meets them.
#pragma once

#include <cstdint>
#include <unordered_map>
#include <vector>

class PtrList_C;
class tgvRecord_C;

class tgvLinkIndex_C {
 public:
  // Whether records of the schema kind are indexed: links, values, properties.
  static bool Indexes(uint8_t schemaKind);
  // A record read from the file; loads come in id order. Records of other
  // kinds are passed over.
  void Add(tgvRecord_C* link);
  // The record was made, or one of its ends (a property's owner) changed.
  void Changed(tgvRecord_C* link);
  // Appends, in id order, the live links of the user type whose start is
  // (startType, startId) when startId is not 0 and whose end is (endType,
  // endId) when endId is not 0; nothing when neither is given. Returns how
  // many it appended.
  uint32_t Select(PtrList_C* list, uint8_t userType, uint8_t startType, uint32_t startId, uint8_t endType,
                  uint32_t endId);
  // The live value with the lowest id from (startType, startId) to
  // (endType, endId); null when none.
  tgvRecord_C* FindValue(uint8_t startType, uint32_t startId, uint8_t endType, uint32_t endId);
  void Clear();
  // How many entries the look-ups have looked at since the last Clear: what
  // a look-up costs, which stays with the links it finds.
  uint64_t GetVisits() const { return m_visits; }

 private:
  struct Bucket {
    std::vector<tgvRecord_C*> links;
    bool ordered = true;  // by id, without repeats
  };
  enum Side { kStart, kEnd };
  using Map = std::unordered_map<uint64_t, Bucket>;

  Map& MapOf(Side side);
  void Join(Side side, uint64_t key, tgvRecord_C* link);
  // The bucket without stale entries and in order; null when there is none.
  const Bucket* Tidy(Side side, uint64_t key);
  void ApplyPending();

  Map m_byStart;
  Map m_byEnd;
  std::vector<tgvRecord_C*> m_pending;
  uint64_t m_visits = 0;
};
