// The XML reader (expat underneath, UTF-16 files): any bytes as a file,
// read without a tag table, with the project descriptor's table and with a
// nested table that has parents, typed attributes and text.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "fuzz/fuzz_file.h"
#include "icbase/src/icutil/icutil.h"
#include "icbase/src/icxml/xml/icxml.h"

namespace {

const icXDtdRecord_C kDescriptorTable[] = {
    {u"brPROJECT", 0, nullptr, 3, u"name:S;language:S;poi:S", 0},
    {nullptr, 0, nullptr, 0, nullptr, 0},
};

const icXDtdRecord_C kNestedTable[] = {
    {u"doc", 0, nullptr, 2, u"id:N;kind:F:a:b", 0},
    {u"group", 1, u"doc", 1, u"name:S", 0},
    {u"item", 2, u"doc:group", 3, u"v:O:x:y;at:T;p:P", 1},
    {u"note", 1, u"item", 1, u"lang:A", 1},
    {nullptr, 0, nullptr, 0, nullptr, 0},
};

// Visits every node the parse linked, as the callers of the tree do (with a
// stack of its own: documents nest deeper than a call stack does).
uint32_t Walk(const icXElement_C* root) {
  uint32_t n = 0;
  std::vector<const icXElement_C*> todo;
  if (root) todo.push_back(root);
  while (!todo.empty()) {
    const icXElement_C* e = todo.back();
    todo.pop_back();
    ++n;
    for (const icXAttribute_C* a = e->firstAttr; a; a = a->Next()) n += a->name[0] + a->value[0];
    for (const icXText_C* t = e->firstText; t; t = t->Next()) n += t->text[0];
    for (const icXElement_C* c = e->firstChild; c; c = c->Next()) {
      if (c->parent != e) std::abort();
      todo.push_back(c);
    }
  }
  return n;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  static FuzzFile file(".xml");
  const uint8_t mode = data[0] % 3;
  file.Put(data + 1, size - 1);

  const icXDtdRecord_C* table = mode == 0 ? nullptr : mode == 1 ? kDescriptorTable : kNestedTable;
  StrPool_C pool(1024);
  icXParser_C parser(mode == 2 ? nullptr : &pool, table);
  if (parser.ParseFile(file.Path())) (void)Walk(parser.GetRoot());
  (void)parser.GetLog().GetText();
  return 0;
}
