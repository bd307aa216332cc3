// The roots of the sport data model. Every sport object answers GetType with
// the kind number that the rest of the program switches on:
//   0 CSportStyle, 6 CSportTrack, 7 CSportUser, 14 CSportLapAnalysis,
//   15 CSportLapPoint, 16 CSportLapValue, 17 CSportSplitValue.
#pragma once

class tgvStyle_C;

class CSportObj {
 public:
  virtual ~CSportObj() = default;
  virtual int GetType() const = 0;
};

// A sport object that stands for a stored record (a track, a user).
class CSportDoc : public CSportObj {};

// The display style of a track line: holds the line's style record, which
// belongs to the project database.
class CSportStyle : public CSportObj {
 public:
  explicit CSportStyle(tgvStyle_C* style) : m_pStyle(style) {}
  int GetType() const override { return 0; }
  tgvStyle_C* GetStyle() const { return m_pStyle; }

 private:
  tgvStyle_C* m_pStyle;
};
