#include "sport/FieldForms.h"

#include <limits>

#include "platform/win32/wstr.h"

namespace {

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\v' || c == u'\f'; }

// One integer after blanks, with an optional sign; saturates at the int32
// range. False without a digit.
bool ReadInt(const char16_t*& p, int32_t* out) {
  while (IsBlank(*p)) ++p;
  const char16_t* q = p;
  const bool negative = *q == u'-';
  if (*q == u'-' || *q == u'+') ++q;
  if (*q < u'0' || *q > u'9') return false;
  int64_t v = 0;
  for (; *q >= u'0' && *q <= u'9'; ++q)
    if (v <= INT32_MAX) v = v * 10 + (*q - u'0');
  v = negative ? -v : v;
  *out = static_cast<int32_t>(v > INT32_MAX ? INT32_MAX : v < INT32_MIN ? INT32_MIN : v);
  p = q;
  return true;
}

}  // namespace

CString DoubleText(double value) {
  CString s;
  s.Format(u"%f", value);
  return s;
}

CString IntText(int32_t value) {
  CString s;
  s.Format(u"%d", value);
  return s;
}

CString DurationText(int64_t duration) {
  const double ms = static_cast<double>(duration) / 10000.0 + 0.5;
  int32_t whole;
  if (ms >= 2147483647.0)
    whole = INT32_MAX;
  else if (ms <= -2147483648.0)
    whole = INT32_MIN;
  else
    whole = static_cast<int32_t>(ms);
  return IntText(whole);
}

CString TimeText(uint64_t time) {
  CString s;
  s.Format(u"%d %d", static_cast<int32_t>(static_cast<uint32_t>(time >> 32)),
           static_cast<int32_t>(static_cast<uint32_t>(time)));
  return s;
}

CString BoolText(bool value) { return CString(value ? u"1" : u"0"); }

bool ParseTimeText(const CString& text, uint64_t* time) {
  int32_t halves[2];
  const bool ok = ParseIntsText(text, halves, 2) == 2;
  if (time)
    *time = ok ? (static_cast<uint64_t>(static_cast<uint32_t>(halves[0])) << 32) | static_cast<uint32_t>(halves[1]) : 0;
  return ok;
}

int64_t ParseDurationText(const CString& text) { return static_cast<int64_t>(WStrToInt(text)) * 10000; }

int ParseIntsText(const CString& text, int32_t* out, int count) {
  const char16_t* p = text.GetString();
  int n = 0;
  while (n < count && ReadInt(p, &out[n])) ++n;
  return n;
}
