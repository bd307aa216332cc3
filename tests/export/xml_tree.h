// A file read back through expat into a small element tree, so that the
// tests see the document as any XML consumer would: entities resolved, CDATA
// sections joined, namespaces as written (prefixes are not expanded).
#pragma once

#include <expat.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "tests/common/files.h"

struct XmlNode {
  std::string name;
  std::map<std::string, std::string> attrs;
  std::string text;  // character data directly inside the element
  std::vector<std::unique_ptr<XmlNode>> children;

  // The first child of that name, or null.
  const XmlNode* Child(const std::string& n) const {
    for (auto& c : children)
      if (c->name == n) return c.get();
    return nullptr;
  }
  std::vector<const XmlNode*> All(const std::string& n) const {
    std::vector<const XmlNode*> out;
    for (auto& c : children)
      if (c->name == n) out.push_back(c.get());
    return out;
  }
  // The text of the child at a "/"-separated path ("" when missing).
  std::string TextAt(const std::string& path) const {
    const XmlNode* n = this;
    size_t from = 0;
    while (n && from <= path.size()) {
      size_t to = path.find('/', from);
      if (to == std::string::npos) to = path.size();
      n = n->Child(path.substr(from, to - from));
      from = to + 1;
    }
    return n ? n->text : std::string();
  }
};

// Parses the file's bytes (any encoding expat detects from the mark or the
// declaration). On a parse error `error` holds expat's message and line, and
// the result is null. With namespaces, every prefix must be declared and
// names read "namespace-uri|local-name".
inline std::unique_ptr<XmlNode> ParseXmlFile(const std::string& path, std::string* error, bool namespaces = false) {
  struct State {
    std::unique_ptr<XmlNode> root;
    std::vector<XmlNode*> stack;
  } st;
  XML_Parser p = namespaces ? XML_ParserCreateNS(nullptr, '|') : XML_ParserCreate(nullptr);
  XML_SetUserData(p, &st);
  XML_SetElementHandler(
      p,
      [](void* ud, const XML_Char* name, const XML_Char** atts) {
        auto* s = static_cast<State*>(ud);
        auto node = std::make_unique<XmlNode>();
        node->name = name;
        for (int i = 0; atts[i]; i += 2) node->attrs[atts[i]] = atts[i + 1];
        XmlNode* raw = node.get();
        if (s->stack.empty())
          s->root = std::move(node);
        else
          s->stack.back()->children.push_back(std::move(node));
        s->stack.push_back(raw);
      },
      [](void* ud, const XML_Char*) { static_cast<State*>(ud)->stack.pop_back(); });
  XML_SetCharacterDataHandler(p, [](void* ud, const XML_Char* s, int len) {
    auto* st = static_cast<State*>(ud);
    if (!st->stack.empty()) st->stack.back()->text.append(s, static_cast<size_t>(len));
  });
  std::string bytes = ReadBytes(path);
  bool ok = XML_Parse(p, bytes.data(), static_cast<int>(bytes.size()), 1) == XML_STATUS_OK;
  if (!ok && error) {
    *error =
        std::string(XML_ErrorString(XML_GetErrorCode(p))) + " at line " + std::to_string(XML_GetCurrentLineNumber(p));
  }
  XML_ParserFree(p);
  return ok ? std::move(st.root) : nullptr;
}
