// CStdioFile: a CFile read and written as lines of text. Eight-bit text is
// UTF-8 here (the ANSI code page of this platform). Lines end at a line feed;
// a carriage return before it belongs to the line end, as a Windows text-mode
// stream would drop it.
#pragma once

#include <cstddef>
#include <string>

#include "platform/classlib/CFile.h"
#include "platform/classlib/CString.h"

class CStdioFile : public CFile {
 public:
  CStdioFile() = default;

  // The next line without its line end (LF or CR LF); FALSE at the end of
  // the file, when nothing more can be read.
  virtual BOOL ReadString(CString& line);
  // Writes the UTF-8 bytes of `text` (null = nothing); no line end is added.
  virtual BOOL WriteString(const char16_t* text);

 protected:
  // Bytes up to and including the next line feed, at most `maxBytes` of
  // them; false when the end of the file comes before any byte.
  bool ReadByteLine(std::string& line, size_t maxBytes);
  // UTF-16LE units up to and including the next line feed unit; a lone
  // byte at the end of the file is dropped. False when the end of the file
  // comes before any unit.
  bool ReadUtf16Line(std::u16string& line);
};

// Removes one line end from `line`: CR LF, else a single final CR or LF.
void TrimLineEnd(std::u16string& line);
