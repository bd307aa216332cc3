// The text of one export file: built whole in memory, saved in one step.
//
// Every writer of this folder holds one. A failed append (memory) is
// remembered, so that Save reports the file as not written instead of saving
// a cut text.
#pragma once

#include <cstdint>
#include <string>

#include "icbase/src/icutil/icutil.h"
#include "icbase/src/icutil/utdm/unifile.h"

class ExportText_C {
 public:
  ExportText_C() = default;
  ExportText_C(const ExportText_C&) = delete;
  ExportText_C& operator=(const ExportText_C&) = delete;

  // Empties the text and forgets an earlier failure.
  void Clear();
  // Null appends nothing.
  void Put(const char16_t* text);
  void Put(const std::u16string& text);
  // printf-style, through the one printf engine.
  void Putf(const char16_t* fmt, ...);
  // The text in one of the UniFile_C encodings (1 UTF-8, 2 UTF-8 with mark,
  // 3 UTF-16LE with mark, LF written as CR LF). False when an append failed,
  // the text is empty or the file could not be written whole; the target is
  // then left as it was.
  bool Save(const char16_t* path, int32_t encoding) const;

  // False once an append has failed.
  bool Ok() const { return !m_failed; }
  const char16_t* GetText() const { return m_text.GetText(); }
  int32_t GetLength() const { return m_text.GetLength(); }

 private:
  WStrBuilder_C m_text;
  bool m_failed = false;
};
