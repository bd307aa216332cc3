#include "trackdb/tgvGroup.h"

#include "icbase/src/icutil/mempool.h"
#include "trackdb/tgvGeometry.h"
#include "trackdb/tgvRecord.h"

namespace {

double Distance(const tgvWayPoint_C* a, const tgvWayPoint_C* b) {
  return a && b ? GeoPointDistanceKm(a->GetGeoPoint(), b->GetGeoPoint()) : 0.0;
}

bool ShownAt(const tgvWayPoint_C* p, int level) {
  if (level < 0 || level > 17) return true;
  const int l = p->GetLevel();
  return l != -1 && l <= level;
}

}  // namespace

tgvGroup_C::tgvGroup_C(bool hasChildren, bool ownsChildren)
    : m_parent(nullptr),
      m_prev(nullptr),
      m_next(nullptr),
      m_firstChild(nullptr),
      m_lastChild(nullptr),
      m_boxValid(1),
      m_lengthValid(1),
      m_hasChildren(hasChildren),
      m_ownsChildren(ownsChildren),
      m_length(0.0),
      m_firstPoint(nullptr),
      m_lastPoint(nullptr),
      m_count(0) {
  ResetBoxes();
}

void tgvGroup_C::ResetBoxes() {
  m_left = m_top = m_right = m_bottom = kIntUnset;
  m_minLon = m_minLat = m_maxLon = m_maxLat = kGeoUnset;
}

void tgvGroup_C::Clear() {
  ResetBoxes();
  m_firstChild = m_lastChild = nullptr;
  m_firstPoint = m_lastPoint = nullptr;
  m_count = 0;
  m_length = 0.0;
  m_lengthValid = 1;
}

void tgvGroup_C::SetPixelBox(int32_t left, int32_t top, int32_t right, int32_t bottom) {
  const IntRect_C r(left, top, right, bottom);
  m_left = r.GetLeft();
  m_top = r.GetTop();
  m_right = r.GetRight();
  m_bottom = r.GetBottom();
}

void tgvGroup_C::SetGeoBox(const GeoPoint_C& a, const GeoPoint_C& b, bool valid) {
  GeoBox_C box(a, b);
  m_minLon = box.GetMin().x;
  m_minLat = box.GetMin().y;
  m_maxLon = box.GetMax().x;
  m_maxLat = box.GetMax().y;
  m_boxValid = valid;
}

bool tgvGroup_C::GetGeoRect(GeoBox_C* out) const {
  GeoBox_C box(GeoPoint_C(m_minLon, m_minLat), GeoPoint_C(m_maxLon, m_maxLat));
  if (out) *out = box;
  return box.IsValid();
}

bool tgvGroup_C::GetPixelRect(IntRect_C* out) const {
  IntRect_C r(m_left, m_top, m_right, m_bottom);
  if (out) *out = r;
  return r.GetMin().IsValid() && r.GetMax().IsValid();
}

bool tgvGroup_C::OnGeoEdge(double lon, double lat) const {
  return lon == m_minLon || lon == m_maxLon || lat == m_minLat || lat == m_maxLat;
}

bool tgvGroup_C::OnPixelEdge(int32_t x, int32_t y) const {
  return x == m_left || x == m_right || y == m_top || y == m_bottom;
}

bool tgvGroup_C::ExtendGeoBox(double lon, double lat, bool extend) {
  const bool unset = m_minLon == kGeoUnset || m_minLat == kGeoUnset || m_maxLon == kGeoUnset || m_maxLat == kGeoUnset;
  if (!extend) return unset || OnGeoEdge(lon, lat);
  if (unset) {
    m_minLon = m_maxLon = lon;
    m_minLat = m_maxLat = lat;
    return true;
  }
  bool changed = false;
  if (lon < m_minLon) m_minLon = lon, changed = true;
  if (lon > m_maxLon) m_maxLon = lon, changed = true;
  if (lat < m_minLat) m_minLat = lat, changed = true;
  if (lat > m_maxLat) m_maxLat = lat, changed = true;
  return changed;
}

bool tgvGroup_C::ExtendPixelBox(int32_t x, int32_t y, bool extend) {
  const bool unset = m_left == kIntUnset || m_top == kIntUnset || m_right == kIntUnset || m_bottom == kIntUnset;
  if (!extend) return unset || OnPixelEdge(x, y);
  if (unset) {
    m_left = m_right = x;
    m_top = m_bottom = y;
    return true;
  }
  bool changed = false;
  if (x < m_left) m_left = x, changed = true;
  if (x > m_right) m_right = x, changed = true;
  if (y < m_top) m_top = y, changed = true;
  if (y > m_bottom) m_bottom = y, changed = true;
  return changed;
}

bool tgvGroup_C::ExtendByGroup(const tgvGroup_C* other, bool extend) {
  if (!other) return false;
  bool result = false;
  if (other->m_minLon != kGeoUnset && other->m_maxLon != kGeoUnset) {
    result = ExtendGeoBox(other->m_minLon, other->m_minLat, extend) || result;
    result = ExtendGeoBox(other->m_maxLon, other->m_maxLat, extend) || result;
  }
  if (other->m_left != kIntUnset && other->m_right != kIntUnset) {
    result = ExtendPixelBox(other->m_left, other->m_top, extend) || result;
    result = ExtendPixelBox(other->m_right, other->m_bottom, extend) || result;
  }
  return result;
}

tgvWayPoint_C* tgvGroup_C::After(const tgvWayPoint_C* p) const {
  return p && p != m_lastPoint ? p->GetNext() : nullptr;
}

double tgvGroup_C::GetLength() {
  if (m_lengthValid) return m_length;
  double sum = 0.0;
  const tgvWayPoint_C* p = m_firstPoint;
  for (uint32_t steps = m_count; p && p != m_lastPoint && steps; --steps) {
    const tgvWayPoint_C* next = p->GetNext();
    sum += Distance(p, next);
    p = next;
  }
  m_length = sum;
  m_lengthValid = 1;
  return sum;
}

void tgvGroup_C::InvalidateBoxUp() {
  for (tgvGroup_C* g = this; g; g = g->m_parent) g->m_boxValid = 0;
}

bool tgvGroup_C::InsertChild(tgvGroup_C* child, tgvGroup_C* after) {
  if (!m_hasChildren || !child || child == this || (after && after->m_parent != this)) return false;
  child->m_parent = this;
  if (!m_firstChild) {
    child->m_prev = child->m_next = nullptr;
    m_firstChild = m_lastChild = child;
  } else if (!after) {
    child->m_prev = nullptr;
    child->m_next = m_firstChild;
    m_firstChild->m_prev = child;
    m_firstChild = child;
  } else {
    child->m_prev = after;
    child->m_next = after->m_next;
    if (after->m_next)
      after->m_next->m_prev = child;
    else
      m_lastChild = child;
    after->m_next = child;
  }
  ++m_count;
  InvalidateBoxUp();
  return true;
}

void tgvGroup_C::Unlink(tgvGroup_C* child) {
  if (child->m_prev)
    child->m_prev->m_next = child->m_next;
  else
    m_firstChild = child->m_next;
  if (child->m_next)
    child->m_next->m_prev = child->m_prev;
  else
    m_lastChild = child->m_prev;
  child->m_parent = child->m_prev = child->m_next = nullptr;
  if (m_count) --m_count;
}

bool tgvGroup_C::RemoveChild(tgvGroup_C* child) {
  if (!child || child->m_parent != this) return false;
  Unlink(child);
  if (!m_firstChild) {
    Clear();
    return true;
  }
  if (ExtendByGroup(child, false)) InvalidateBoxUp();
  return true;
}

void tgvGroup_C::Absorb(tgvGroup_C* other, bool before) {
  tgvWayPoint_C* p = other->m_firstPoint;
  for (uint32_t steps = other->m_count; p && steps; --steps, p = other->After(p)) p->SetSegment(this);
  if (before)
    m_firstPoint = other->m_firstPoint;
  else
    m_lastPoint = other->m_lastPoint;
  m_count += other->m_count - 1;
  if (m_lengthValid && other->m_lengthValid)
    m_length += other->m_length;
  else
    m_lengthValid = 0;
  ExtendByGroup(other, true);
  if (!other->m_boxValid) m_boxValid = 0;
}

tgvGroup_C* tgvGroup_C::MergeWithNext(tgvGroup_C* child) {
  if (!child || child->m_parent != this) return nullptr;
  tgvGroup_C* next = child->m_next;
  if (!next || next->m_count <= 1 || next->m_firstPoint != child->m_lastPoint) return nullptr;
  child->Absorb(next, false);
  Unlink(next);
  return next;
}

tgvGroup_C* tgvGroup_C::MergeWithPrevious(tgvGroup_C* child) {
  if (!child || child->m_parent != this) return nullptr;
  tgvGroup_C* previous = child->m_prev;
  if (!previous || previous->m_count <= 1 || previous->m_lastPoint != child->m_firstPoint) return nullptr;
  child->Absorb(previous, true);
  Unlink(previous);
  return previous;
}

bool tgvGroup_C::AddPoint(tgvWayPoint_C* point, tgvWayPoint_C* after) {
  if (!point || m_hasChildren) return false;
  bool changed = ExtendGeoBox(point->GetLongitude(), point->GetLatitude(), true);
  changed = ExtendPixelBox(point->GetPosX(), point->GetPosY(), true) || changed;
  if (!m_firstPoint) {
    m_firstPoint = m_lastPoint = point;
    m_length = 0.0;
    m_lengthValid = 1;
  } else if (!after) {
    m_length += Distance(point, m_firstPoint);
    m_firstPoint = point;
  } else if (after == m_lastPoint) {
    m_length += Distance(after, point);
    m_lastPoint = point;
  } else {
    // The point is already linked after `after` in the line's chain.
    const tgvWayPoint_C* next = point->GetNext();
    m_length += Distance(after, point) + Distance(point, next) - Distance(after, next);
  }
  ++m_count;
  point->SetSegment(this);
  if (changed) InvalidateBoxUp();
  return true;
}

bool tgvGroup_C::RemovePoint(tgvWayPoint_C* point) {
  if (!point || !m_firstPoint) return false;
  if (m_count <= 1 || m_firstPoint == m_lastPoint) {
    if (point != m_firstPoint) return false;
    m_firstPoint = m_lastPoint = nullptr;
    m_count = 0;
  } else if (point == m_firstPoint) {
    m_firstPoint = After(point);
    --m_count;
  } else if (point == m_lastPoint) {
    m_lastPoint = PointBefore(point);
    --m_count;
  } else {
    if (!Holds(point)) return false;
    --m_count;
  }
  if (point->GetSegment() == this) point->SetSegment(nullptr);
  m_lengthValid = 0;
  if (ExtendGeoBox(point->GetLongitude(), point->GetLatitude(), false) ||
      ExtendPixelBox(point->GetPosX(), point->GetPosY(), false))
    InvalidateBoxUp();
  return true;
}

void tgvGroup_C::SetLastPoint(tgvWayPoint_C* point) {
  if (!point) {
    if (!m_lastPoint) return;
    if (m_firstPoint == m_lastPoint) {
      m_firstPoint = m_lastPoint = nullptr;
      m_count = 0;
    } else {
      m_lastPoint = PointBefore(m_lastPoint);
      if (m_count) --m_count;
    }
  } else {
    if (!m_firstPoint) {
      m_firstPoint = point;
      m_count = 1;
    }
    m_lastPoint = point;
  }
  m_lengthValid = 0;
  // The box is recomputed from the points rather than patched.
  InvalidateBoxUp();
}

bool tgvGroup_C::SplitHalf(tgvGroup_C* newGroup) {
  if (!newGroup || newGroup == this || m_count < 3) return false;
  tgvWayPoint_C* cut = m_firstPoint;
  const uint32_t half = m_count / 2;
  for (uint32_t i = 0; i < half && cut; ++i) cut = After(cut);
  if (!cut || cut == m_lastPoint) return false;
  tgvWayPoint_C* oldLast = m_lastPoint;
  const uint32_t oldCount = m_count;
  m_lastPoint = cut;
  m_count = half + 1;
  tgvWayPoint_C* p = cut;
  for (uint32_t steps = oldCount; p && steps; --steps) {
    newGroup->AddPoint(p, newGroup->m_lastPoint);
    if (p == oldLast) break;
    p = p->GetNext();
  }
  // The cut point is this run's last point and the new run's first; it
  // belongs to the later run.
  m_lengthValid = 0;
  InvalidateBoxUp();
  newGroup->InvalidateBoxUp();
  return true;
}

uint32_t tgvGroup_C::CollectPoints(PtrList_C* list, int level) const {
  if (!list) return 0;
  uint32_t added = 0;
  tgvWayPoint_C* p = m_firstPoint;
  for (uint32_t steps = m_count; p && steps; --steps, p = After(p)) {
    if (ShownAt(p, level) && list->AddTail(p)) ++added;
  }
  return added;
}

tgvWayPoint_C* tgvGroup_C::PointBefore(const tgvWayPoint_C* point) const {
  tgvWayPoint_C* before = nullptr;
  tgvWayPoint_C* p = m_firstPoint;
  for (uint32_t steps = m_count; p && steps; --steps) {
    if (p == point) return before;
    before = p;
    p = After(p);
  }
  return nullptr;
}

bool tgvGroup_C::Holds(const tgvWayPoint_C* point) const {
  const tgvWayPoint_C* p = m_firstPoint;
  for (uint32_t steps = m_count; p && steps; --steps, p = After(p)) {
    if (p == point) return true;
  }
  return false;
}
