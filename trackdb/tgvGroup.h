// The in-memory groups of a document: a tree whose nodes keep an integer
// box, a lon/lat box and a cached length, so that boxes and lengths of lines
// need not be recomputed from all their points. A node either holds child
// groups (the document's line list, a line's group) or a run of consecutive
// waypoints of one line (a segment).
//
// Groups come from the document's group pool (tgvDocument_C::AllocGroup)
// and go back to it; a group never frees another one. A run's points are
// walked from its first point along the waypoints' next links, at most
// its point count of steps.
#pragma once

#include <cstdint>

#include "icbase/src/icutil/geometry.h"

class tgvWayPoint_C;
class PtrList_C;

class tgvGroup_C {
 public:
  // Links, counts and flags cleared, both validity flags set, length 0,
  // boxes unset.
  tgvGroup_C(bool hasChildren, bool ownsChildren);

  // Integer box to -1 four times, lon/lat box to -5000.0 four times.
  void ResetBoxes();
  // Boxes unset, no children, no points.
  void Clear();
  // Boxes from a rectangle (normalised); the flag becomes the box-valid flag.
  void SetPixelBox(int32_t left, int32_t top, int32_t right, int32_t bottom);
  void SetGeoBox(const GeoPoint_C& a, const GeoPoint_C& b, bool valid);
  // Copies a box out; true when it is set.
  bool GetGeoRect(GeoBox_C* out) const;
  bool GetPixelRect(IntRect_C* out) const;

  // With extend: an unset box becomes the point, a set one grows to hold
  // it; true when the box changed. Without extend nothing changes; true
  // when the box is unset or the point lies on one of its edges (removing
  // that point may shrink the box).
  bool ExtendGeoBox(double lon, double lat, bool extend);
  bool ExtendPixelBox(int32_t x, int32_t y, bool extend);
  // The same for both corners of another group's boxes.
  bool ExtendByGroup(const tgvGroup_C* other, bool extend);

  // Kilometres along the run (cached until a point is removed or moved).
  double GetLength();
  void InvalidateLength() { m_lengthValid = 0; }

  // --- child groups (only for a group that has children) ---
  // As the only child, after `after`, or first when after is null.
  bool InsertChild(tgvGroup_C* child, tgvGroup_C* after);
  // Unlinks the child; ancestors whose box the child touched become invalid.
  bool RemoveChild(tgvGroup_C* child);
  // When the run after (before) the child has more than one point, the
  // child takes its points over (they share one boundary point), its boxes
  // and its place; the emptied neighbour is unlinked and returned for the
  // caller to give back. Null when nothing was merged.
  tgvGroup_C* MergeWithNext(tgvGroup_C* child);
  tgvGroup_C* MergeWithPrevious(tgvGroup_C* child);

  // --- a run of points ---
  // The point joins the run after `after` (first when null); boxes and the
  // cached length follow; the point's segment becomes this group.
  bool AddPoint(tgvWayPoint_C* point, tgvWayPoint_C* after);
  // Takes the point out of the run.
  bool RemovePoint(tgvWayPoint_C* point);
  // Null drops the last point; a point becomes the new last one.
  void SetLastPoint(tgvWayPoint_C* point);
  // Cuts the run near its middle: the cut point ends this run and starts
  // the new group's run, which receives the points up to the old last one.
  bool SplitHalf(tgvGroup_C* newGroup);
  // The run's points from first to last; a level outside 0..17 means all,
  // otherwise only points whose level is not -1 and at most the level.
  uint32_t CollectPoints(PtrList_C* list, int level) const;
  // The point before the given one inside the run; null for the first and
  // for a point outside the run.
  tgvWayPoint_C* PointBefore(const tgvWayPoint_C* point) const;
  // Whether the point lies in the run.
  bool Holds(const tgvWayPoint_C* point) const;

  // Marks this group and every ancestor's box as not valid.
  void InvalidateBoxUp();

  tgvGroup_C* GetParent() const { return m_parent; }
  tgvGroup_C* GetPrevSibling() const { return m_prev; }
  tgvGroup_C* GetNextSibling() const { return m_next; }
  tgvGroup_C* GetFirstChild() const { return m_firstChild; }
  tgvGroup_C* GetLastChild() const { return m_lastChild; }
  tgvWayPoint_C* GetFirstPoint() const { return m_firstPoint; }
  tgvWayPoint_C* GetLastPoint() const { return m_lastPoint; }
  // Child count of a group with children, point count of a run.
  uint32_t GetCount() const { return m_count; }
  bool HasChildren() const { return m_hasChildren != 0; }
  bool OwnsChildren() const { return m_ownsChildren != 0; }
  bool IsBoxValid() const { return m_boxValid != 0; }
  void SetBoxValid(bool valid) { m_boxValid = valid; }
  bool IsLengthValid() const { return m_lengthValid != 0; }

 private:
  // The point after p inside the run (null after the last).
  tgvWayPoint_C* After(const tgvWayPoint_C* p) const;
  // Takes a neighbouring run's points, boxes and length into this one;
  // `before`: the other run ends where this one starts.
  void Absorb(tgvGroup_C* other, bool before);
  void Unlink(tgvGroup_C* child);
  bool OnGeoEdge(double lon, double lat) const;
  bool OnPixelEdge(int32_t x, int32_t y) const;

  tgvGroup_C* m_parent;
  tgvGroup_C* m_prev;
  tgvGroup_C* m_next;
  tgvGroup_C* m_firstChild;
  tgvGroup_C* m_lastChild;
  uint8_t m_boxValid;
  uint8_t m_lengthValid;
  uint8_t m_hasChildren;
  uint8_t m_ownsChildren;
  int32_t m_left, m_top, m_right, m_bottom;
  double m_minLon, m_minLat, m_maxLon, m_maxLat;
  double m_length;  // km
  tgvWayPoint_C* m_firstPoint;
  tgvWayPoint_C* m_lastPoint;
  uint32_t m_count;
};
