// Lines of a project built with the library, closed and opened again:
// segments, walks, levels, lengths, times, the time order, and split and
// join leaving a file that opens consistent.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "icbase/src/icutil/utdm/unifile.h"
#include "platform/win32/utf.h"
#include "tests/common/temp_dir.h"
#include "tests/trackdb/test_project.h"
#include "trackdb/tgvDatabase.h"
#include "trackdb/tgvDocument.h"
#include "trackdb/tgvGeometry.h"
#include "trackdb/tgvGroup.h"
#include "trackdb/tgvLine.h"
#include "trackdb/tgvProject.h"

namespace {

constexpr uint32_t kLongPoints = 3000;
constexpr uint32_t kShortPoints = 1500;

std::vector<tgvWayPoint_C*> WalkForward(const tgvLine_C* line) {
  std::vector<tgvWayPoint_C*> out;
  for (tgvWayPoint_C* p = line->GetFirstPoint(); p && out.size() <= kLongPoints * 2; p = p->GetNext()) out.push_back(p);
  return out;
}

std::vector<tgvRecord_C*> Items(const PtrList_C& list) {
  std::vector<tgvRecord_C*> out;
  for (PtrListNode_C* pos = list.GetHeadPosition(); pos;)
    out.push_back(static_cast<tgvRecord_C*>(PtrList_C::GetNext(pos)));
  return out;
}

// A project with a user, two driven tracks ("long" at 10 Hz and the earlier
// "short" at 20 Hz) and two lines without a time ("plain1", "plain2").
class Lines : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(BuildProject(Folder(), [](projgen::ProjectDb& gen) {
      const uint64_t start = projgen::FileTimeOf(2023, 11, 14, 22, 13, 20);
      std::vector<projgen::Sample> untimed = Drive(20, 1, start);
      for (projgen::Sample& s : untimed) s.logged = false;
      return gen.AddUser(u"Anna", {{u"UserName", u"anna"}, {u"ActiveUser", u"1"}}) &&
             gen.AddPointLine(u"long", Drive(kLongPoints, 10, start), true) &&
             gen.AddPointLine(u"short", Drive(kShortPoints, 20, start - 3600ull * 10000000), true) &&
             gen.AddPointLine(u"plain1", untimed, false) && gen.AddPointLine(u"plain2", untimed, false);
    }));
    Reopen();
  }

  std::u16string Folder() const { return Utf8ToUtf16(m_dir.Path()); }

  void Reopen() {
    m_project.reset(new tgvProject_C());
    m_doc = m_project->Open(Folder().c_str());
    ASSERT_NE(m_doc, nullptr) << Utf16ToUtf8(m_project->GetLog().GetText());
  }

  tgvLine_C* Line(const char16_t* name) {
    PtrList_C lines;
    m_doc->GetLines(&lines, nullptr, true);
    for (tgvRecord_C* r : Items(lines)) {
      if (std::u16string(static_cast<tgvLine_C*>(r)->GetName()) == name) return static_cast<tgvLine_C*>(r);
    }
    return nullptr;
  }

  // Every point of the line names it, the chain runs from its first to its
  // last point and the segments hold exactly that chain.
  ::testing::AssertionResult Consistent(const tgvLine_C* line, uint32_t points) {
    const std::vector<tgvWayPoint_C*> chain = WalkForward(line);
    if (chain.size() != points) return ::testing::AssertionFailure() << "chain of " << chain.size();
    if (chain.back() != line->GetLastPoint()) return ::testing::AssertionFailure() << "chain ends elsewhere";
    for (const tgvWayPoint_C* p : chain) {
      if (p->GetParentID() != line->GetId()) return ::testing::AssertionFailure() << "point of another line";
    }
    if (line->GetPointCount() != points)
      return ::testing::AssertionFailure() << "segments hold " << line->GetPointCount();
    return ::testing::AssertionSuccess();
  }

  // The waypoint ids of the line's attachment chain, which must belong to
  // the line and end at its last attachment; empty on any fault.
  std::vector<uint32_t> Marks(const tgvLine_C* line) {
    std::vector<uint32_t> ids;
    const tgvVP_C* last = nullptr;
    for (const tgvVP_C* vp = line->GetFirstVP(); vp && ids.size() < 100; vp = vp->GetNext()) {
      if (vp->GetParentID() != line->GetId()) return {};
      ids.push_back(vp->GetWPID());
      last = vp;
    }
    return last == line->GetLastVP() ? ids : std::vector<uint32_t>{};
  }

  TempDir m_dir;
  std::unique_ptr<tgvProject_C> m_project;
  tgvDocument_C* m_doc = nullptr;
};

TEST_F(Lines, SegmentsHold512PointsAndShareTheirBoundaryPoint) {
  tgvLine_C* line = Line(u"long");
  ASSERT_TRUE(Consistent(line, kLongPoints));
  uint32_t segments = 0;
  for (tgvGroup_C* s = line->GetFirstSegment(); s; s = s->GetNextSibling(), ++segments) {
    tgvGroup_C* next = s->GetNextSibling();
    if (!next) break;
    EXPECT_EQ(s->GetCount(), kSegmentPoints);
    EXPECT_EQ(s->GetLastPoint(), next->GetFirstPoint());
    EXPECT_EQ(line->FindSegment(next->GetFirstPoint()), 2);
    EXPECT_EQ(s->GetLastPoint()->GetSegment(), next);
  }
  // 512 points, then 511 more for each further segment.
  EXPECT_EQ(segments + 1, (kLongPoints - 2) / (kSegmentPoints - 1) + 1);
}

TEST_F(Lines, WalksReachBothEndsAcrossSegmentBoundaries) {
  tgvLine_C* line = Line(u"long");
  const std::vector<tgvWayPoint_C*> forward = WalkForward(line);
  ASSERT_EQ(forward.size(), kLongPoints);
  std::vector<tgvWayPoint_C*> backward;
  for (tgvWayPoint_C* p = line->GetLastPoint(); p && backward.size() <= kLongPoints; p = p->GetPrev())
    backward.push_back(p);
  ASSERT_EQ(backward.size(), kLongPoints);
  EXPECT_TRUE(std::equal(forward.begin(), forward.end(), backward.rbegin()));

  // At a level, the walks give the collected points, both ways.
  for (int level : {0, 5, 12, 17}) {
    PtrList_C collected;
    line->CollectPoints(&collected, false, level);
    std::vector<tgvRecord_C*> want = Items(collected);
    std::vector<tgvRecord_C*> ahead{line->GetFirstPoint()};
    for (tgvWayPoint_C* p = line->GetFirstPoint()->GetNext(level); p; p = p->GetNext(level)) ahead.push_back(p);
    EXPECT_EQ(ahead, want) << "level " << level;
    std::vector<tgvRecord_C*> back{line->GetLastPoint()};
    for (tgvWayPoint_C* p = line->GetLastPoint()->GetPrev(level); p; p = p->GetPrev(level)) back.push_back(p);
    EXPECT_TRUE(std::equal(want.begin(), want.end(), back.rbegin())) << "level " << level;
  }
}

TEST_F(Lines, LevelsOfModeZero) {
  tgvLine_C* line = Line(u"long");
  EXPECT_EQ(line->GetFirstPoint()->GetLevel(), 0);
  EXPECT_EQ(line->GetLastPoint()->GetLevel(), 0);
  for (tgvGroup_C* s = line->GetFirstSegment(); s; s = s->GetNextSibling())
    EXPECT_EQ(s->GetFirstPoint()->GetLevel(), 0);
  int picked = 0, hidden = 0;
  for (const tgvWayPoint_C* p : WalkForward(line)) {
    EXPECT_TRUE(p->GetLevel() >= -1 && p->GetLevel() <= 18) << p->GetLevel();
    picked += p->GetLevel() > 0;
    hidden += p->GetLevel() == -1;
  }
  EXPECT_GT(picked, 0);
  EXPECT_GT(hidden, 0);
}

TEST_F(Lines, LengthIsTheSumOfThePointDistances) {
  tgvLine_C* line = Line(u"long");
  const std::vector<tgvWayPoint_C*> points = WalkForward(line);
  std::vector<double> upTo{0.0};
  for (size_t i = 1; i < points.size(); ++i)
    upTo.push_back(upTo.back() + GeoPointDistanceKm(points[i - 1]->GetGeoPoint(), points[i]->GetGeoPoint()));
  EXPECT_NEAR(line->GetLength(), upTo.back(), 1e-9);
  for (size_t i : {size_t(0), size_t(1), size_t(510), size_t(511), size_t(512), size_t(1500), points.size() - 1})
    EXPECT_NEAR(line->GetLengthTo(points[i]), upTo[i], 1e-9) << "point " << i;
  // Each segment of the opened line spans exactly its own points.
  for (tgvGroup_C* s = line->GetFirstSegment(); s; s = s->GetNextSibling()) {
    GeoBox_C box, want;
    PtrList_C own;
    s->CollectPoints(&own, -1);
    for (tgvRecord_C* r : Items(own))
      want.ExtendToPoint(static_cast<tgvWayPoint_C*>(r)->GetLongitude(), static_cast<tgvWayPoint_C*>(r)->GetLatitude());
    ASSERT_TRUE(s->GetGeoRect(&box));
    EXPECT_EQ(box.GetMin().x, want.GetMin().x);
    EXPECT_EQ(box.GetMin().y, want.GetMin().y);
    EXPECT_EQ(box.GetMax().x, want.GetMax().x);
    EXPECT_EQ(box.GetMax().y, want.GetMax().y);
  }
  EXPECT_EQ(line->GetLengthTo(Line(u"short")->GetLastPoint()), 0.0);
}

TEST_F(Lines, StartAndEndTimesComeFromTheGpsLog) {
  struct Case {
    const char16_t* name;
    IntPair_C start;
    IntPair_C end;
  };
  const Case cases[] = {
      {u"long", UnixToFileTime(1700000000, 0), UnixToFileTime(1700000000 + 299, 900)},
      {u"short", UnixToFileTime(1700000000 - 3600, 0), UnixToFileTime(1700000000 - 3600 + 74, 950)},
  };
  for (const Case& c : cases) {
    IntPair_C start, end;
    ASSERT_TRUE(Line(c.name)->GetTime(&start.first, &start.second));
    ASSERT_TRUE(Line(c.name)->GetEndTime(&end.first, &end.second));
    EXPECT_EQ(CompareTime64(start.first, start.second, c.start.first, c.start.second), 0);
    EXPECT_EQ(CompareTime64(end.first, end.second, c.end.first, c.end.second), 0);
  }
  uint32_t t1 = 0, t2 = 0;
  EXPECT_FALSE(Line(u"plain1")->GetTime(&t1, &t2));
  EXPECT_FALSE(Line(u"plain1")->GetEndTime(&t1, &t2));
}

TEST_F(Lines, SortPutsUntimedLinesLastInTheirOrder) {
  PtrList_C list;
  for (const char16_t* name : {u"plain2", u"long", u"plain1", u"short"}) list.AddTail(Line(name));
  SortLinesByTime(&list);
  std::vector<std::u16string> names;
  for (tgvRecord_C* r : Items(list)) names.push_back(static_cast<tgvLine_C*>(r)->GetName());
  EXPECT_EQ(names, (std::vector<std::u16string>{u"short", u"long", u"plain2", u"plain1"}));
  EXPECT_EQ(CompareLinesByTime(Line(u"plain1"), Line(u"plain2")), 0);
  EXPECT_EQ(CompareLinesByTime(Line(u"plain1"), Line(u"long")), 1);
  EXPECT_EQ(CompareLinesByTime(Line(u"long"), Line(u"plain1")), -1);
}

TEST_F(Lines, SplitAndJoinLeaveAConsistentFile) {
  tgvLine_C* line = Line(u"long");
  for (size_t i : {2500, 10, 1500, 500}) {
    tgvWayPoint_C* p = WalkForward(line)[i];
    ASSERT_NE(tgvVP_C::Create(m_doc->GetDatabase(), u"mark", nullptr, line, nullptr, p), nullptr);
  }
  ASSERT_EQ(Marks(line), (std::vector<uint32_t>{11, 501, 1501, 2501}));
  tgvWayPoint_C* at = WalkForward(line)[999];
  tgvLine_C* second = nullptr;
  ASSERT_TRUE(line->SplitAt(at, &second));
  ASSERT_NE(second, nullptr);
  ASSERT_TRUE(m_doc->Save());
  Reopen();
  ASSERT_TRUE(Consistent(Line(u"long"), 1000));
  ASSERT_TRUE(Consistent(Line(u"long-2"), kLongPoints - 1000));
  EXPECT_EQ(Marks(Line(u"long")), (std::vector<uint32_t>{11, 501}));
  EXPECT_EQ(Marks(Line(u"long-2")), (std::vector<uint32_t>{1501, 2501}));
  IntPair_C start;
  ASSERT_TRUE(Line(u"long-2")->GetTime(&start.first, &start.second));
  const IntPair_C want = UnixToFileTime(1700000000 + 100, 0);
  EXPECT_EQ(CompareTime64(start.first, start.second, want.first, want.second), 0);

  PtrList_C list;
  list.AddTail(Line(u"long-2"));
  list.AddTail(Line(u"long"));
  tgvLine_C* joined = tgvLine_C::Join(&list);
  ASSERT_EQ(joined, Line(u"long"));
  EXPECT_EQ(list.GetCount(), 1u);
  ASSERT_TRUE(m_doc->Save());
  Reopen();
  EXPECT_EQ(Line(u"long-2"), nullptr);
  ASSERT_TRUE(Consistent(Line(u"long"), kLongPoints));
  EXPECT_EQ(Marks(Line(u"long")), (std::vector<uint32_t>{11, 501, 1501, 2501}));
  PtrList_C all;
  EXPECT_EQ(m_doc->GetLines(&all, nullptr, true), 4u);
}

// A new project holding one line of a new type, without points.
struct EmptyLine {
  EmptyLine() {
    tgvDocument_C* doc = project.Create(Utf8ToUtf16(dir.Path()).c_str(), 0);
    if (!doc) return;
    tgvType_C* type = tgvType_C::Create(doc->GetDatabase(), u"t", u"", nullptr, nullptr, tgvUT_Line, false);
    line = tgvLine_C::Create(doc, u"l", type, nullptr, nullptr, false);
  }
  TempDir dir;
  tgvProject_C project;
  tgvLine_C* line = nullptr;
};

TEST(LineLevels, SimplificationPicksOnlyPointsFarFromTheChord) {
  struct Case {
    const char* what;
    std::vector<double> offsets;  // latitude of the inner points, degrees
    int mode;
    std::vector<int> levels;  // of every point
  };
  const Case cases[] = {
      {"two points change nothing", {}, 0, {7, 7}}, {"exactly 4e-5 is not picked", {4e-5}, 0, {0, -1, 0}},
      {"1e-4 with k = 1", {1e-4}, 0, {0, 16, 0}},   {"6e-5 with k = 2", {6e-5}, 1, {0, 18, 0}},
      {"1e-4 with k = 3", {1e-4}, 2, {0, 18, 0}},
  };
  for (const Case& c : cases) {
    EmptyLine empty;
    tgvLine_C* line = empty.line;
    ASSERT_NE(line, nullptr);
    std::vector<double> lats{0.0};
    lats.insert(lats.end(), c.offsets.begin(), c.offsets.end());
    lats.push_back(0.0);
    std::vector<tgvWayPoint_C*> points;
    for (size_t i = 0; i < lats.size(); ++i) {
      points.push_back(
          line->AppendPoint(GeoPoint_C(i * 0.01, lats[i]), IntPoint_C(0, 0), 0, tgvWayPointSensors{}, nullptr));
      points.back()->SetLevel(7);
    }
    line->ComputeLevels(c.mode);
    for (size_t i = 0; i < points.size(); ++i) EXPECT_EQ(points[i]->GetLevel(), c.levels[i]) << c.what << " #" << i;
  }
}

TEST(LineEncodings, PolylineAndCoordinatesOfAThreePointLine) {
  struct Case {
    int mode;
    const char16_t* levels;  // 17 - level per kept point
  };
  // The middle point lies 6e-5 off the chord: level 17 with k = 1, below
  // every threshold (level 18) with k = 2, which encodes as one character.
  for (const Case& c : {Case{0, u"P?P"}, Case{1, u"P>P"}}) {
    EmptyLine empty;
    tgvLine_C* line = empty.line;
    ASSERT_NE(line, nullptr);
    for (const GeoPoint_C& g : {GeoPoint_C(0.0, 0.0), GeoPoint_C(0.5, 6e-5), GeoPoint_C(1.0, 0.0)})
      line->AppendPoint(g, IntPoint_C(0, 0), 0, tgvWayPointSensors{}, nullptr);
    line->ComputeLevels(c.mode);
    UniString_C points, levels;
    ASSERT_TRUE(line->EncodePolyline(&points, &levels, 0));
    EXPECT_EQ(std::u16string(points.GetText()).substr(0, 2), u"??") << c.mode;  // (0, 0) against (0, 0)
    EXPECT_EQ(std::u16string(levels.GetText()), c.levels) << c.mode;
    int count = 0;
    UniString_C json;
    ASSERT_TRUE(line->CoordinatesJson(&count, &json, 0));
    EXPECT_EQ(count, 3);
    EXPECT_EQ(std::u16string(json.GetText()), u"[[0.000000,0.000000],[0.000060,0.500000],[0.000000,1.000000]]");
    WStrBuilder_C samples;
    ASSERT_TRUE(line->PathSampleJson(&samples, 0));
    const std::u16string text = samples.GetText();
    EXPECT_EQ(std::count(text.begin(), text.end(), u'['), 100);
    EXPECT_EQ(text.substr(0, 20), u"[0.000000,0.000000],");
  }
}

// The sampler goes by time from the line's stored start time to its last
// point's time; a line without a stored time is sampled by point count. The
// first 101 points take the first second and the other 100 one second each,
// so the second sample is point 100 by time and point 2 by count.
TEST(LineEncodings, PathSamplesRunFromTheLinesStoredStartTime) {
  constexpr int64_t kStart = 1700000000;
  for (const bool stored : {true, false}) {
    EmptyLine empty;
    tgvLine_C* line = empty.line;
    ASSERT_NE(line, nullptr);
    for (int i = 0; i <= 200; ++i) {
      tgvGPSSample sample;
      sample.time = i <= 100 ? UnixToFileTime(kStart, i * 10) : UnixToFileTime(kStart + i - 99, 0);
      // The first point is logged only when the line has no stored time.
      ASSERT_TRUE(line->AppendPoint(GeoPoint_C(i * 0.01, 0.0), IntPoint_C(0, 0), 0, tgvWayPointSensors{},
                                    i > 0 || !stored ? &sample : nullptr));
    }
    const IntPair_C start = UnixToFileTime(kStart, 0);
    if (stored) {
      ASSERT_TRUE(line->SetTime(start.first, start.second));
    }
    WStrBuilder_C samples;
    ASSERT_TRUE(line->PathSampleJson(&samples, 0));
    const std::u16string text = samples.GetText();
    EXPECT_EQ(text.substr(0, 40),
              stored ? u"[0.000000,0.000000],[0.000000,1.000000]," : u"[0.000000,0.000000],[0.000000,0.020000],")
        << stored;
  }
}

TEST_F(Lines, FindObjectsFiltersWaypointsByLevel) {
  uint8_t kinds[19] = {};
  kinds[tgvUT_WP - 1] = 1;
  uint32_t upTo3 = 0;
  for (const char16_t* name : {u"long", u"short", u"plain1", u"plain2"}) {
    for (const tgvWayPoint_C* p : WalkForward(Line(name))) upTo3 += p->GetLevel() >= 0 && p->GetLevel() <= 3;
  }
  const uint32_t all = kLongPoints + kShortPoints + 40;
  struct Case {
    int level;
    uint32_t count;
  };
  for (const Case& c : {Case{18, all}, Case{255, all}, Case{-1, all}, Case{3, upTo3}}) {
    PtrList_C found;
    EXPECT_EQ(m_doc->FindObjects(&found, nullptr, GeoBox_C(), kinds, nullptr, c.level), c.count) << c.level;
  }
  EXPECT_LT(upTo3, all);
}

TEST_F(Lines, SplitThatCannotMakeTheNewLineChangesNothing) {
  tgvLine_C* line = Line(u"plain1");
  line->SetTypeID(0, 0);  // the new line needs a type
  tgvLine_C* second = nullptr;
  EXPECT_FALSE(line->SplitAt(WalkForward(line)[5], &second));
  EXPECT_EQ(second, nullptr);
  EXPECT_TRUE(Consistent(line, 20));
  EXPECT_GT(line->GetLength(), 0.0);
}

}  // namespace
