#include "webclient/JsonValue.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

#include "platform/win32/utf.h"

namespace {

// Runs a step that needs memory: false when memory runs out on the way. A
// step builds what it adds before it changes the value, so a failed step
// leaves the value as it was.
template <class Step>
bool Guarded(Step&& step) noexcept {
  try {
    return step();
  } catch (const std::exception&) {
    return false;
  }
}

}  // namespace

CJsonValue::CJsonValue(JsonKind kind) {
  switch (kind) {
    case JSON_STRING:
      SetString(u"");
      break;
    case JSON_LITERAL:
      SetLiteral(JSON_NULL);
      break;
    case JSON_DOUBLE:
      SetDouble(0.0);
      break;
    case JSON_INT64:
      SetInt64(0);
      break;
    case JSON_ARRAY:
      SetArray();
      break;
    case JSON_OBJECT:
      SetObject();
      break;
    default:
      break;
  }
}

CJsonValue::CJsonValue(CJsonValue&& other) noexcept
    : m_kind(other.m_kind), m_payload(std::move(other.m_payload)), m_lineBreaks(other.m_lineBreaks) {
  other.Clear();
}

CJsonValue& CJsonValue::operator=(CJsonValue&& other) noexcept {
  if (this == &other) return *this;
  // `other` may live inside this value's own payload (a member or element
  // being lifted up): its payload is taken out before the old one goes, and
  // `other` is not touched after that.
  auto payload = std::move(other.m_payload);
  const int32_t kind = other.m_kind;
  const bool lineBreaks = other.m_lineBreaks;
  other.Clear();
  m_payload = std::move(payload);
  m_kind = kind;
  m_lineBreaks = lineBreaks;
  return *this;
}

bool CJsonValue::Clear() {
  m_payload = std::monostate();
  m_kind = JSON_EMPTY;
  return true;
}

bool CJsonValue::SetString(const char16_t* s) {
  return Guarded([&] { return SetString(s ? std::u16string(s) : std::u16string()); });
}

bool CJsonValue::SetString(const std::u16string& s) {
  return Guarded([&] { return SetString(std::u16string(s)); });  // copied first: `s` may be this value's own text
}

bool CJsonValue::SetString(std::u16string&& s) noexcept {
  m_payload = std::move(s);
  m_kind = JSON_STRING;
  return true;
}

bool CJsonValue::SetString(const char* s) {
  return Guarded([&] { return SetString(s ? Utf8ToUtf16(s) : std::u16string()); });
}

bool CJsonValue::SetInt64(int64_t v) {
  m_payload = v;
  m_kind = JSON_INT64;
  return true;
}

bool CJsonValue::SetDouble(double v) {
  m_payload = v;
  m_kind = JSON_DOUBLE;
  return true;
}

bool CJsonValue::SetLiteral(int32_t code) {
  m_payload = code;
  m_kind = JSON_LITERAL;
  return true;
}

bool CJsonValue::SetArray() {
  m_payload = CJsonArray();
  m_kind = JSON_ARRAY;
  return true;
}

bool CJsonValue::SetObject() {
  m_payload = CJsonObject();
  m_kind = JSON_OBJECT;
  return true;
}

bool CJsonValue::Append(const CJsonValue& value) {
  if (m_kind != JSON_ARRAY) return false;
  return Guarded([&] {
    auto copy = std::make_unique<CJsonValue>();
    copy->CopyTree(value);
    std::get<CJsonArray>(m_payload).push_back(std::move(copy));
    return true;
  });
}

bool CJsonValue::Append(CJsonValue* value) {
  if (m_kind != JSON_ARRAY || !value || value == this) return false;
  return Guarded([&] {
    std::get<CJsonArray>(m_payload).emplace_back(value);  // owned only once it is in
    return true;
  });
}

bool CJsonValue::AddMember(const std::u16string& name, const CJsonValue& value) {
  if (m_kind != JSON_OBJECT) return false;
  return Guarded([&] {
    CJsonObject& obj = std::get<CJsonObject>(m_payload);
    if (obj.count(name)) return false;
    auto copy = std::make_unique<CJsonValue>();
    copy->CopyTree(value);
    obj.emplace(name, std::move(copy));
    return true;
  });
}

bool CJsonValue::AddMember(const std::u16string& name, CJsonValue* value) {
  if (m_kind != JSON_OBJECT || !value || value == this) return false;
  return Guarded([&] {
    auto [it, inserted] = std::get<CJsonObject>(m_payload).try_emplace(name);
    if (!inserted) return false;
    it->second.reset(value);  // owned only once it is in
    return true;
  });
}

bool CJsonValue::AddMember(const char16_t* name, const CJsonValue& value) {
  return Guarded([&] { return AddMember(std::u16string(name ? name : u""), value); });
}

bool CJsonValue::AddMember(const char16_t* name, CJsonValue* value) {
  return Guarded([&] { return AddMember(std::u16string(name ? name : u""), value); });
}

bool CJsonValue::RemoveMember(const char16_t* name) {
  if (m_kind != JSON_OBJECT) return false;
  return Guarded([&] { return std::get<CJsonObject>(m_payload).erase(std::u16string(name ? name : u"")) > 0; });
}

CJsonValue* CJsonValue::GetMember(const char16_t* name) {
  if (m_kind != JSON_OBJECT) return nullptr;
  CJsonValue* member = nullptr;
  Guarded([&] {
    CJsonObject& obj = std::get<CJsonObject>(m_payload);
    std::u16string key(name ? name : u"");
    auto it = obj.find(key);
    if (it == obj.end()) it = obj.emplace(std::move(key), std::make_unique<CJsonValue>()).first;
    member = it->second.get();
    return true;
  });
  return member;
}

CJsonValue* CJsonValue::GetMember(const char* name) {
  if (m_kind != JSON_OBJECT) return nullptr;
  CJsonValue* member = nullptr;
  Guarded([&] {
    member = GetMember((name ? Utf8ToUtf16(name) : std::u16string()).c_str());
    return true;
  });
  return member;
}

const char16_t* CJsonValue::GetString() const {
  return m_kind == JSON_STRING ? std::get<std::u16string>(m_payload).c_str() : nullptr;
}

std::u16string_view CJsonValue::GetStringView() const {
  return m_kind == JSON_STRING ? std::u16string_view(std::get<std::u16string>(m_payload)) : std::u16string_view();
}

int64_t CJsonValue::GetInt64(int64_t def) const {
  switch (m_kind) {
    case JSON_LITERAL: {
      int32_t code = std::get<int32_t>(m_payload);
      if (code == JSON_TRUE) return 1;
      if (code == JSON_FALSE || code == JSON_NULL) return 0;
      return def;
    }
    case JSON_DOUBLE: {
      // Truncated toward zero; out of range saturates, not a number is no number.
      double d = std::get<double>(m_payload);
      if (std::isnan(d)) return def;
      if (d >= 9223372036854775808.0) return std::numeric_limits<int64_t>::max();
      if (d < -9223372036854775808.0) return std::numeric_limits<int64_t>::min();
      return static_cast<int64_t>(d);
    }
    case JSON_INT64:
      return std::get<int64_t>(m_payload);
    default:
      return def;
  }
}

double CJsonValue::GetDouble(double def) const {
  if (m_kind == JSON_DOUBLE) return std::get<double>(m_payload);
  if (m_kind == JSON_INT64) return static_cast<double>(std::get<int64_t>(m_payload));
  return def;
}

CJsonArray* CJsonValue::GetArray() { return m_kind == JSON_ARRAY ? &std::get<CJsonArray>(m_payload) : nullptr; }
const CJsonArray* CJsonValue::GetArray() const {
  return m_kind == JSON_ARRAY ? &std::get<CJsonArray>(m_payload) : nullptr;
}
CJsonObject* CJsonValue::GetObject() { return m_kind == JSON_OBJECT ? &std::get<CJsonObject>(m_payload) : nullptr; }
const CJsonObject* CJsonValue::GetObject() const {
  return m_kind == JSON_OBJECT ? &std::get<CJsonObject>(m_payload) : nullptr;
}

bool CJsonValue::CopyFrom(const CJsonValue& other) {
  if (other.m_kind == JSON_EMPTY) return false;
  if (&other == this) return true;
  return Guarded([&] { return CopyTree(other); });
}

bool CJsonValue::CopyTree(const CJsonValue& other) {
  switch (other.m_kind) {
    case JSON_STRING:
      return SetString(std::u16string(std::get<std::u16string>(other.m_payload)));
    case JSON_LITERAL:
      return SetLiteral(std::get<int32_t>(other.m_payload));
    case JSON_DOUBLE:
      return SetDouble(std::get<double>(other.m_payload));
    case JSON_INT64:
      return SetInt64(std::get<int64_t>(other.m_payload));
    case JSON_ARRAY: {
      CJsonArray copy;
      for (const auto& element : std::get<CJsonArray>(other.m_payload)) {
        auto e = std::make_unique<CJsonValue>();
        e->CopyTree(*element);
        copy.push_back(std::move(e));
      }
      m_payload = std::move(copy);
      m_kind = JSON_ARRAY;
      return true;
    }
    case JSON_OBJECT: {
      CJsonObject copy;
      for (const auto& [name, member] : std::get<CJsonObject>(other.m_payload)) {
        auto m = std::make_unique<CJsonValue>();
        m->CopyTree(*member);
        copy.emplace(name, std::move(m));
      }
      m_payload = std::move(copy);
      m_kind = JSON_OBJECT;
      return true;
    }
    default:
      return false;
  }
}

// ---------------------------------------------------------------------------
// Writer

namespace {

void AppendAscii(std::u16string& out, const char* s, size_t n) {
  const size_t at = out.size();
  out.resize(at + n);
  for (size_t i = 0; i < n; ++i) out[at + i] = static_cast<unsigned char>(s[i]);
}

// True when a fixed-point text has no digit but zero.
bool ShowsOnlyZeros(const char* text, const char* end) {
  return std::all_of(text, end, [](char c) { return c == '-' || c == '0' || c == '.'; });
}

void AppendDouble(std::u16string& out, double d) {
  if (!std::isfinite(d)) {  // not representable in JSON
    out += u"null";
    return;
  }
  // "%.16f" in full (at most 309 integer digits, the point and 16 decimals),
  // the layout the service reads. A non-zero value that it would show as
  // zero (below 5e-17: -1e-78 as -0.0000000000000000) gets the shortest text
  // that reads back as that value instead, so that no value becomes 0 or -0.
  char buf[400];
  auto r = std::to_chars(buf, buf + sizeof buf, d, std::chars_format::fixed, 16);
  if (r.ec == std::errc() && d != 0.0 && ShowsOnlyZeros(buf, r.ptr)) r = std::to_chars(buf, buf + sizeof buf, d);
  if (r.ec != std::errc()) {
    out += u"null";
    return;
  }
  AppendAscii(out, buf, static_cast<size_t>(r.ptr - buf));
}

void AppendInt64(std::u16string& out, int64_t v) {
  char buf[32];
  auto r = std::to_chars(buf, buf + sizeof buf, v);
  AppendAscii(out, buf, static_cast<size_t>(r.ptr - buf));
}

}  // namespace

namespace {

bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// True for a unit the writer copies as it is: not a control character, not a
// backslash or double quote, and not half of a surrogate pair that lacks its
// partner (such a unit is not well-formed text and is written as an escape).
bool CopiesAsIs(const std::u16string& text, size_t i) {
  const char16_t c = text[i];
  if (c >= 0x20 && c < 0xD800) return c != u'\\' && c != u'"';
  if (c < 0x20) return false;
  if (IsHighSurrogate(c)) return i + 1 < text.size() && IsLowSurrogate(text[i + 1]);
  if (IsLowSurrogate(c)) return i > 0 && IsHighSurrogate(text[i - 1]);
  return true;
}

}  // namespace

void JsonQuote(std::u16string& out, const std::u16string& text) {
  static const char16_t kHex[] = u"0123456789abcdef";
  out.push_back(u'"');
  size_t run = 0;  // start of the characters not yet copied
  for (size_t i = 0; i < text.size(); ++i) {
    if (CopiesAsIs(text, i)) continue;
    const char16_t c = text[i];
    out.append(text.data() + run, i - run);
    run = i + 1;
    const char16_t* named = c == u'\\'   ? u"\\\\"
                            : c == u'"'  ? u"\\\""
                            : c == u'\n' ? u"\\n"
                            : c == u'\r' ? u"\\r"
                                         : nullptr;
    if (named) {
      out += named;
      continue;
    }
    out += u"\\u";
    for (int shift = 12; shift >= 0; shift -= 4) out.push_back(kHex[(c >> shift) & 15]);
  }
  out.append(text.data() + run, text.size() - run);
  out.push_back(u'"');
}

std::u16string CJsonValue::Stringify(const char16_t* defaultText, bool quoteStrings) const {
  std::u16string out;
  if (!Guarded([&] {
        StringifyTo(out, defaultText, quoteStrings);
        return true;
      }))
    out.clear();
  return out;
}

void CJsonValue::StringifyTo(std::u16string& out, const char16_t* defaultText, bool quoteStrings) const {
  switch (m_kind) {
    case JSON_STRING:
      if (quoteStrings)
        JsonQuote(out, std::get<std::u16string>(m_payload));
      else
        out += std::get<std::u16string>(m_payload);
      break;
    case JSON_LITERAL:
      switch (std::get<int32_t>(m_payload)) {
        case JSON_TRUE:
          out += u"true";
          break;
        case JSON_FALSE:
          out += u"false";
          break;
        case JSON_NULL:
          out += u"null";
          break;
        default:
          if (defaultText) out += defaultText;
      }
      break;
    case JSON_DOUBLE:
      AppendDouble(out, std::get<double>(m_payload));
      break;
    case JSON_INT64:
      AppendInt64(out, std::get<int64_t>(m_payload));
      break;
    case JSON_ARRAY: {
      out += u" [ ";
      bool first = true;
      for (const auto& element : std::get<CJsonArray>(m_payload)) {
        if (!first) {
          out += u" , ";
          if (m_lineBreaks) out.push_back(u'\n');
        }
        first = false;
        element->StringifyTo(out, u"", quoteStrings);
      }
      out += u" ] ";
      break;
    }
    case JSON_OBJECT: {
      out += u" { ";
      bool first = true;
      for (const auto& [name, member] : std::get<CJsonObject>(m_payload)) {
        if (!first) {
          out += u" , ";
          if (m_lineBreaks) out.push_back(u'\n');
        }
        first = false;
        JsonQuote(out, name);
        out += u" : ";
        member->StringifyTo(out, u"", quoteStrings);
      }
      out += u" } ";
      break;
    }
    default:
      if (defaultText) out += defaultText;
  }
}

int AsciiToWide(char16_t* dest, const char* src, int size) {
  if (!dest || size <= 0) return 0;
  std::u16string wide;
  if (!Guarded([&] {
        wide = src ? Utf8ToUtf16(src) : std::u16string();
        return true;
      }))
    wide.clear();
  size_t room = static_cast<size_t>(size) - 1;
  size_t n = wide.size() < room ? wide.size() : room;
  if (n > 0 && n < wide.size() && wide[n - 1] >= 0xD800 && wide[n - 1] <= 0xDBFF) --n;  // keep pairs whole
  std::copy(wide.begin(), wide.begin() + static_cast<ptrdiff_t>(n), dest);
  dest[n] = 0;
  return static_cast<int>(n);
}
