// The JSON reader of the web-service replies and the settings files: any
// bytes, read as UTF-8 or as UTF-16 units, under the reader's options. What
// it makes must survive a copy and a write, and what it writes must read
// back to the same text.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <sstream>
#include <string>

#include "webclient/JsonReader.h"
#include "webclient/JsonValue.h"

namespace {

struct ValueDeleter {
  void operator()(CJsonValue* v) const { CJsonValue::Delete(v); }
};
using ValuePtr = std::unique_ptr<CJsonValue, ValueDeleter>;

// Walks the tree through the accessors a caller of the reader uses.
void Walk(CJsonValue* v, int depth) {
  if (!v || depth > JsonReader_C::kMaxDepth + 1) return;
  (void)v->GetString();
  (void)v->GetInt64();
  (void)v->GetDouble();
  if (CJsonArray* a = v->GetArray()) {
    for (auto& e : *a) Walk(e.get(), depth + 1);
  }
  if (CJsonObject* o = v->GetObject()) {
    for (auto& m : *o) Walk(m.second.get(), depth + 1);
    (void)v->GetMember(u"Result");
    (void)v->GetMember("Data");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const uint8_t mode = data[0];
  ++data;
  --size;
  if (size > 1 << 20) return 0;

  JsonReader_C reader;
  reader.SetAllowUnquotedNames((mode & 1) != 0);
  reader.SetRejectVerticalTabEscape((mode & 2) != 0);
  ValuePtr value;
  switch ((mode >> 2) & 3) {
    case 0:
      value.reset(reader.Parse(reinterpret_cast<const char*>(data), static_cast<int32_t>(size)));
      break;
    case 1: {
      std::u16string units(size / 2, u'\0');
      std::memcpy(units.data(), data, units.size() * 2);
      value.reset(reader.Parse(units.data(), static_cast<int32_t>(units.size())));
      break;
    }
    case 2: {
      std::string text(reinterpret_cast<const char*>(data), size);
      value.reset(reader.ParseNarrow(text.c_str()));
      break;
    }
    default: {
      std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
      value.reset(reader.Parse(in));
      break;
    }
  }
  (void)reader.GetErrorText();
  if (!value) return 0;
  Walk(value.get(), 0);

  CJsonValue copy;
  if (!copy.CopyFrom(*value)) return 0;
  const std::u16string written = value->Stringify(u"", true);
  if (copy.Stringify(u"", true) != written) std::abort();

  // The written text is what the program sends and stores: it reads back
  // whole and writes the same again.
  JsonReader_C again;
  again.SetAllowUnquotedNames((mode & 1) != 0);
  again.SetRejectVerticalTabEscape((mode & 2) != 0);
  ValuePtr reread(again.Parse(written.data(), static_cast<int32_t>(written.size())));
  if (reread && reread->Stringify(u"", true) != written) std::abort();
  return 0;
}
