#include "icbase/src/icutil/geometry.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(IntRect, NormalisesAndCentres) {
  IntRect_C r(5, 9, 1, 2);
  EXPECT_EQ(r.GetLeft(), 1);
  EXPECT_EQ(r.GetTop(), 2);
  EXPECT_EQ(r.GetRight(), 5);
  EXPECT_EQ(r.GetBottom(), 9);
  EXPECT_EQ(r.Center(), IntPoint_C(3, 5));
  EXPECT_EQ(IntRect_C(-3, -3, 0, 0).Center(), IntPoint_C(-1, -1));  // toward zero
  EXPECT_TRUE(r.Contains(1, 9));
  EXPECT_FALSE(r.Contains(0, 5));
  EXPECT_FALSE(IntRect_C().GetMin().IsValid());
}

TEST(IntRect, IntersectionIsClosedAndNeedsArea) {
  EXPECT_TRUE(IntRect_C(0, 0, 10, 10).Intersects(IntRect_C(10, 10, 20, 20)));
  EXPECT_FALSE(IntRect_C(0, 0, 10, 10).Intersects(IntRect_C(11, 0, 20, 10)));
  EXPECT_FALSE(IntRect_C(0, 0, 10, 10).Intersects(IntRect_C(5, 5, 5, 8)));  // no area
  EXPECT_TRUE(IntRect_C(0, 0, 10, 10).Intersects(IntRect_C(2, 2, 3, 3)));   // inside
}

TEST(IntRect, ExtendsFromUnsetAndOnlyReportsRealChanges) {
  IntRect_C r;
  EXPECT_TRUE(r.ExtendToPoint(4, 6));
  EXPECT_TRUE(r.IsSinglePoint());
  EXPECT_FALSE(r.HasArea());
  EXPECT_FALSE(r.ExtendToPoint(4, 6));
  EXPECT_TRUE(r.ExtendToPoint(1, 8));
  EXPECT_EQ(r.GetMin(), IntPoint_C(1, 6));
  EXPECT_EQ(r.GetMax(), IntPoint_C(4, 8));
  EXPECT_FALSE(r.ExtendToPoint(2, 7));
  EXPECT_FALSE(r.ExtendToRect(IntRect_C(0, 0, 0, 100)));  // no area: ignored
  EXPECT_TRUE(r.ExtendToRect(IntRect_C(0, 0, 2, 2)));
  EXPECT_EQ(r.GetMin(), IntPoint_C(0, 0));
}

TEST(GeoPoint, ValidityBoundsAndSentinel) {
  EXPECT_TRUE(GeoPoint_C(180.0, -90.0, 0).IsValid());
  EXPECT_FALSE(GeoPoint_C(180.0001, 0.0, 0).IsValid());
  EXPECT_FALSE(GeoPoint_C().IsValid());
  EXPECT_EQ(GeoPoint_C().GetZ(), -5000.0);
  EXPECT_DOUBLE_EQ(RadToDeg(DegToRad(33.5)), 33.5);
  EXPECT_DOUBLE_EQ(DegToRad(180.0), 3.141592653589793);
}

TEST(GeoBox, LimitsCornersAndValidity) {
  GeoBox_C flat;
  flat.SetLimits(10, 20, 10, 30);
  EXPECT_FALSE(flat.IsValid());
  GeoBox_C b;
  b.SetLimits(12, 30, 10, 20);
  EXPECT_TRUE(b.IsValid());
  EXPECT_EQ(b.GetCorner(GeoBox_C::LeftBottom).GetX(), 10);
  EXPECT_EQ(b.GetCorner(GeoBox_C::LeftBottom).GetY(), 20);
  EXPECT_EQ(b.GetCorner(GeoBox_C::RightTop).GetX(), 12);
  EXPECT_EQ(b.GetCorner(GeoBox_C::RightTop).GetY(), 30);
  GeoBox_C q(0, 0, 1, 5, 4, 6, 5, 1);  // a skewed quadrilateral
  EXPECT_EQ(q.GetMin().GetX(), 0);
  EXPECT_EQ(q.GetMin().GetY(), 0);
  EXPECT_EQ(q.GetMax().GetX(), 5);
  EXPECT_EQ(q.GetMax().GetY(), 6);
}

TEST(GeoBox, ContainmentLooseAndExact) {
  GeoBox_C b;
  b.SetLimits(0, 0, 10, 10);
  EXPECT_TRUE(b.ContainsPoint(0, 0, false));
  EXPECT_TRUE(b.ContainsPoint(10, 10, false));
  EXPECT_FALSE(b.ContainsPoint(10.001, 5, false));
  // Exact: bottom edge outside, top edge inside.
  EXPECT_FALSE(b.ContainsPoint(5, 0, true));
  EXPECT_TRUE(b.ContainsPoint(5, 10, true));
  EXPECT_TRUE(b.ContainsPoint(5, 5, true));
  EXPECT_FALSE(b.ContainsPoint(11, 5, true));
  EXPECT_FALSE(b.ContainsPoint(-1, 5, true));

  // A skewed quadrilateral: inside its min/max box is not inside the shape.
  GeoBox_C q(0, 0, 0, 10, 10, 10, 10, 0);
  q.SetCorners(0, 0, 4, 10, 10, 10, 6, 0);  // parallelogram leaning right
  EXPECT_TRUE(q.ContainsPoint(1, 1, false));
  EXPECT_FALSE(q.ContainsPoint(1, 8, true));
  EXPECT_TRUE(q.ContainsPoint(5, 5, true));
  EXPECT_FALSE(q.ContainsPoint(9, 1, true));
  EXPECT_TRUE(q.CornersContain(GeoPoint_C(8, 9)));
}

TEST(GeoBox, IntersectionAndExtension) {
  GeoBox_C a, b;
  a.SetLimits(0, 0, 10, 10);
  b.SetLimits(10, 10, 20, 20);
  EXPECT_TRUE(a.Intersects(b));
  b.SetLimits(10.5, 0, 20, 10);
  EXPECT_FALSE(a.Intersects(b));
  EXPECT_FALSE(a.Intersects(GeoBox_C()));

  GeoBox_C e;
  EXPECT_TRUE(e.ExtendToPoint(5, 6));
  EXPECT_TRUE(e.IsSinglePoint());
  EXPECT_FALSE(e.IsValid());
  EXPECT_FALSE(e.ExtendToPoint(5, 6));
  EXPECT_TRUE(e.ExtendToPoint(7, 4));
  EXPECT_TRUE(e.IsValid());
  EXPECT_EQ(e.GetMin().GetY(), 4);
  EXPECT_EQ(e.GetMax().GetX(), 7);
  // The corners moved with the limits.
  EXPECT_EQ(e.GetCorner(GeoBox_C::RightBottom).GetX(), 7);
  EXPECT_EQ(e.GetCorner(GeoBox_C::RightBottom).GetY(), 4);
  EXPECT_EQ(e.GetCorner(GeoBox_C::LeftTop).GetX(), 5);
  EXPECT_EQ(e.GetCorner(GeoBox_C::LeftTop).GetY(), 6);
  GeoBox_C flat;
  flat.SetLimits(100, 0, 100, 50);
  EXPECT_FALSE(e.ExtendToBox(flat));  // not valid: ignored
  GeoBox_C wide;
  wide.SetLimits(-1, -1, 1, 1);
  EXPECT_TRUE(e.ExtendToBox(wide));
  EXPECT_EQ(e.GetMin().GetX(), -1);
  EXPECT_EQ(e.GetMax().GetX(), 7);
}

TEST(GeoDistance, GreatCircle) {
  EXPECT_EQ(GeoDistanceChecked(10, 20, 10, 20), 0.0);
  EXPECT_NEAR(GeoDistanceChecked(0, 0, 1, 0), 111.2, 0.1);
  EXPECT_EQ(GeoDistanceChecked(0, 0, 200, 0), 0.0);  // invalid point
  EXPECT_NEAR(GeoDistanceChecked(0, 0, 180, 0), GeoDistanceChecked(0, 90, 0, -90), 1e-6);
}

TEST(ChinaMap, GivenRowsSitInTheirPlaces) {
  ASSERT_EQ(kChinaRefCount, 368);
  const ChinaRefPoint_C& first = kChinaRefTable[0];
  EXPECT_EQ(first.lon, 120.59143);
  EXPECT_EQ(first.lat, 23.96115);
  EXPECT_EQ(first.dLat, 0.0);
  EXPECT_EQ(first.dLon, 0.0);
  EXPECT_EQ(kChinaRefTable[1].lon, 116.39786);
  EXPECT_EQ(kChinaRefTable[1].dLat, 0.00135);
  EXPECT_EQ(kChinaRefTable[1].dLon, 0.00615);
  EXPECT_EQ(kChinaRefTable[2].lat, 39.14307);
  EXPECT_EQ(kChinaRefTable[2].dLon, 0.00632);
  const ChinaRefPoint_C& last = kChinaRefTable[kChinaRefCount - 1];
  EXPECT_EQ(last.lon, 82.06946);
  EXPECT_EQ(last.lat, 44.89719);
  EXPECT_EQ(last.dLat, 0.00112);
  EXPECT_EQ(last.dLon, 0.00912);
}

TEST(ChinaMap, TableStaysWithinTheDocumentedRanges) {
  double minLon = 1e9, maxLon = -1e9, minLat = 1e9, maxLat = -1e9;
  for (int i = 0; i < kChinaRefCount; ++i) {
    const ChinaRefPoint_C& r = kChinaRefTable[i];
    minLon = std::fmin(minLon, r.lon);
    maxLon = std::fmax(maxLon, r.lon);
    minLat = std::fmin(minLat, r.lat);
    maxLat = std::fmax(maxLat, r.lat);
    EXPECT_GE(r.dLat, -0.00716) << i;
    EXPECT_LE(r.dLat, 0.01108) << i;
    EXPECT_GE(r.dLon, 0.0) << i;
    EXPECT_LE(r.dLon, 0.01296) << i;
  }
  EXPECT_EQ(minLon, 80.09418);
  EXPECT_EQ(maxLon, 131.15046);
  EXPECT_EQ(minLat, 18.25401);
  EXPECT_EQ(maxLat, 50.41868);
}

TEST(ChinaMap, ShiftUsesTheNearestRecord) {
  // On a given row exactly: that row's offsets.
  GeoPoint_C beijing(116.39786, 39.90312, 55.0);
  EXPECT_EQ(FindChinaRefPoint(beijing.x, beijing.y), 1);
  GeoPoint_C s = ChinaMapShift(beijing);
  EXPECT_DOUBLE_EQ(s.x, 116.39786 + 0.00615);
  EXPECT_DOUBLE_EQ(s.y, 39.90312 + 0.00135);
  EXPECT_EQ(s.z, 55.0);
  GeoPoint_C back = ChinaMapUnshift(s);
  EXPECT_NEAR(back.x, beijing.x, 1e-12);
  EXPECT_NEAR(back.y, beijing.y, 1e-12);

  EXPECT_EQ(FindChinaRefPoint(117.2001, 39.14307), 2);
  EXPECT_EQ(FindChinaRefPoint(82.06946, 44.89719), kChinaRefCount - 1);
  GeoPoint_C taiwan(120.59143, 23.96115, 0);
  GeoPoint_C t = ChinaMapShift(taiwan);  // the first row carries no offset
  EXPECT_EQ(t.x, taiwan.x);
  EXPECT_EQ(t.y, taiwan.y);

  // Far from every record: unchanged.
  EXPECT_EQ(FindChinaRefPoint(0, 0), -1);
  GeoPoint_C zero(0, 0, 1);
  GeoPoint_C z = ChinaMapShift(zero);
  EXPECT_EQ(z.x, 0.0);
  EXPECT_EQ(z.y, 0.0);
  EXPECT_EQ(z.z, 1.0);
  // Every mainland position is covered by some record.
  EXPECT_GE(FindChinaRefPoint(104.07, 30.67), 0);  // Chengdu
  EXPECT_GE(FindChinaRefPoint(87.62, 43.82), 0);   // Urumqi
  EXPECT_GE(FindChinaRefPoint(91.13, 29.65), 0);   // Lhasa
}
