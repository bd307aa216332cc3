// resgen: compiles the resource texts (res/strings.txt, res/dialogs.txt) into
// C++ tables and a header of the ids the texts name.
// Usage: resgen <strings.txt> <dialogs.txt> <output.cpp> <output.h>
//
// An id may carry a name, Name=102: the header then holds kStrName for a
// string, and for a dialog the namespace NameIds with kIdd, the dialog's id,
// and kIdControl for each named control of it.
//
// The build fails when a text is malformed, a string lacks one of the four
// languages, the languages of a string differ in their placeholders, or a
// name is given twice in one scope.
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "platform/win32/utf.h"

namespace {

struct Token {
  bool quoted = false;
  std::string text;  // UTF-8
  int line = 0;
};

[[noreturn]] void Fail(const std::string& file, int line, const std::string& what) {
  std::fprintf(stderr, "%s:%d: error: %s\n", file.c_str(), line, what.c_str());
  std::exit(1);
}

std::vector<std::vector<Token>> ReadLines(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) Fail(path, 0, "cannot open");
  std::vector<std::vector<Token>> lines;
  std::string raw;
  int lineNo = 0;
  while (std::getline(in, raw)) {
    ++lineNo;
    if (!raw.empty() && raw.back() == '\r') raw.pop_back();
    std::vector<Token> tokens;
    size_t i = 0;
    while (i < raw.size()) {
      char c = raw[i];
      if (c == ' ' || c == '\t') {
        ++i;
        continue;
      }
      if (c == '#') break;
      Token t;
      t.line = lineNo;
      if (c == '"') {
        t.quoted = true;
        ++i;
        bool closed = false;
        while (i < raw.size()) {
          char d = raw[i++];
          if (d == '"') {
            closed = true;
            break;
          }
          if (d == '\\') {
            if (i >= raw.size()) Fail(path, lineNo, "escape at end of line");
            char e = raw[i++];
            switch (e) {
              case 'n':
                t.text += '\n';
                break;
              case 't':
                t.text += '\t';
                break;
              case '\\':
                t.text += '\\';
                break;
              case '"':
                t.text += '"';
                break;
              default:
                Fail(path, lineNo, std::string("unknown escape \\") + e);
            }
          } else {
            t.text += d;
          }
        }
        if (!closed) Fail(path, lineNo, "unterminated text");
      } else {
        while (i < raw.size() && raw[i] != ' ' && raw[i] != '\t' && raw[i] != '#') t.text += raw[i++];
      }
      tokens.push_back(t);
    }
    if (!tokens.empty()) lines.push_back(tokens);
  }
  return lines;
}

// UTF-8 to UTF-16 code units; malformed input fails the build.
std::u16string ToUtf16(const std::string& s, const std::string& file, int line) {
  std::u16string out;
  if (!Utf8ToUtf16Strict(s, out)) Fail(file, line, "malformed UTF-8");
  return out;
}

// A C++ literal u"..." of the text; everything outside printable ASCII is a
// universal character name.
std::string Literal(const std::u16string& s) {
  std::string out = "u\"";
  for (char32_t c : Utf16ToUtf32(s)) {
    char buf[16];
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\t') {
      out += "\\t";
    } else if (c >= 0x20 && c < 0x7F) {
      out += static_cast<char>(c);
    } else if (c >= 0x10000) {
      std::snprintf(buf, sizeof buf, "\\U%08X", static_cast<unsigned>(c));
      out += buf;
    } else {
      std::snprintf(buf, sizeof buf, "\\u%04X", static_cast<unsigned>(c));
      out += buf;
    }
  }
  out += '"';
  return out;
}

// The printf conversions of a text, in order ("%d", "%02d", "%s" ...).
std::vector<std::string> Placeholders(const std::string& s) {
  std::vector<std::string> out;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] != '%') continue;
    if (i + 1 < s.size() && s[i + 1] == '%') {
      ++i;
      continue;
    }
    size_t j = i + 1;
    while (j < s.size() && std::string("-+ #0123456789.*hlI").find(s[j]) != std::string::npos) ++j;
    if (j < s.size()) ++j;
    out.push_back(s.substr(i, j - i));
    i = j - 1;
  }
  return out;
}

bool IsIdentifier(const std::string& name) {
  if (name.empty() || !std::isalpha(static_cast<unsigned char>(name[0]))) return false;
  for (char c : name) {
    if (!std::isalnum(static_cast<unsigned char>(c))) return false;
  }
  return true;
}

int ParseInt(const Token& t, const std::string& file) {
  if (t.quoted) Fail(file, t.line, "number expected, found text");
  if (t.text == "IDOK") return 1;
  if (t.text == "IDCANCEL") return 2;
  char* end = nullptr;
  long v = std::strtol(t.text.c_str(), &end, 10);
  if (t.text.empty() || *end != 0) Fail(file, t.line, "number expected: " + t.text);
  return static_cast<int>(v);
}

// An id token: a number, IDOK, IDCANCEL, or Name=<one of those>.
struct NamedId {
  int id = 0;
  std::string name;  // empty when the token names nothing
};

NamedId ParseId(const Token& t, const std::string& file) {
  const size_t equals = t.quoted ? std::string::npos : t.text.find('=');
  if (equals == std::string::npos) return {ParseInt(t, file), ""};
  NamedId out;
  out.name = t.text.substr(0, equals);
  if (!IsIdentifier(out.name)) Fail(file, t.line, "a name is letters and digits, first a letter: " + out.name);
  Token number = t;
  number.text = t.text.substr(equals + 1);
  out.id = ParseInt(number, file);
  return out;
}

// Fails when `name` is already in `names`; an empty name is never a clash.
void ClaimName(std::set<std::string>& names, const std::string& name, const std::string& file, int line) {
  if (!name.empty() && !names.insert(name).second) Fail(file, line, "name given twice: " + name);
}

struct StringEntry {
  int id = 0;
  std::string name;
  std::map<std::string, std::u16string> texts;
  std::map<std::string, std::string> utf8;
  int line = 0;
};

struct ControlEntry {
  int id = 0;
  std::string name;
  std::string kind;
  std::u16string text;
  int x = 0, y = 0, cx = 0, cy = 0;
  std::vector<std::string> styles;
};

struct DialogEntry {
  int id = 0;
  std::string name;
  int cx = 0, cy = 0;
  std::u16string title;
  int fontPoints = 0;
  std::u16string fontFace;
  std::vector<std::string> styles;
  std::vector<ControlEntry> controls;
};

const char* const kLanguages[] = {"en", "ja", "de", "zh-TW"};

std::vector<StringEntry> ParseStrings(const std::string& path) {
  std::vector<StringEntry> out;
  std::set<int> seen;
  std::set<std::string> names;
  for (const auto& toks : ReadLines(path)) {
    const Token& head = toks[0];
    if (!head.quoted && head.text == "string") {
      if (toks.size() != 2) Fail(path, head.line, "string <id>");
      StringEntry e;
      const NamedId id = ParseId(toks[1], path);
      e.id = id.id;
      e.name = id.name;
      e.line = head.line;
      ClaimName(names, e.name, path, head.line);
      if (!seen.insert(e.id).second) Fail(path, head.line, "string id given twice");
      out.push_back(e);
      continue;
    }
    if (out.empty()) Fail(path, head.line, "text before the first string");
    bool known = false;
    for (const char* lang : kLanguages) known = known || head.text == lang;
    if (!known || head.quoted) Fail(path, head.line, "language en, ja, de or zh-TW expected");
    if (toks.size() != 2 || !toks[1].quoted) Fail(path, head.line, "<language> \"text\"");
    StringEntry& e = out.back();
    if (e.texts.count(head.text)) Fail(path, head.line, "language given twice");
    e.texts[head.text] = ToUtf16(toks[1].text, path, head.line);
    e.utf8[head.text] = toks[1].text;
  }
  for (const StringEntry& e : out) {
    for (const char* lang : kLanguages) {
      if (!e.texts.count(lang)) Fail(path, e.line, std::string("string lacks language ") + lang);
    }
    auto en = Placeholders(e.utf8.at("en"));
    for (const char* lang : kLanguages) {
      if (Placeholders(e.utf8.at(lang)) != en)
        Fail(path, e.line, std::string("placeholders of ") + lang + " differ from English");
    }
  }
  return out;
}

const std::map<std::string, std::string> kKinds = {
    {"static", "Static"},     {"button", "Button"},     {"edit", "Edit"},      {"combobox", "ComboBox"},
    {"listview", "ListView"}, {"progress", "Progress"}, {"picture", "Picture"}};
const std::map<std::string, std::string> kControlStyles = {
    {"notify", "kResNotify"},       {"center", "kResCenter"},       {"right", "kResRight"},
    {"password", "kResPassword"},   {"multiline", "kResMultiline"}, {"readonly", "kResReadOnly"},
    {"default", "kResDefault"},     {"hidden", "kResHidden"},       {"disabled", "kResDisabled"},
    {"singlesel", "kResSingleSel"}, {"nowrap", "kResNoWrap"},       {"border", "kResBorder"}};
const std::map<std::string, std::string> kDialogStyles = {{"resizable", "kResDlgResizable"},
                                                          {"minmax", "kResDlgMinMax"}};

std::vector<DialogEntry> ParseDialogs(const std::string& path) {
  std::vector<DialogEntry> out;
  std::set<int> seen;
  std::set<std::string> dialogNames, controlNames;
  bool open = false;
  for (const auto& toks : ReadLines(path)) {
    const Token& head = toks[0];
    if (head.quoted) Fail(path, head.line, "keyword expected");
    if (head.text == "dialog") {
      if (open) Fail(path, head.line, "dialog inside a dialog (missing end)");
      if (toks.size() != 4) Fail(path, head.line, "dialog <id> <width> <height>");
      DialogEntry d;
      const NamedId id = ParseId(toks[1], path);
      d.id = id.id;
      d.name = id.name;
      ClaimName(dialogNames, d.name, path, head.line);
      controlNames.clear();
      d.cx = ParseInt(toks[2], path);
      d.cy = ParseInt(toks[3], path);
      if (!seen.insert(d.id).second) Fail(path, head.line, "dialog id given twice");
      out.push_back(d);
      open = true;
      continue;
    }
    if (!open) Fail(path, head.line, "outside a dialog");
    DialogEntry& d = out.back();
    if (head.text == "end") {
      open = false;
    } else if (head.text == "title") {
      if (toks.size() != 2 || !toks[1].quoted) Fail(path, head.line, "title \"text\"");
      d.title = ToUtf16(toks[1].text, path, head.line);
    } else if (head.text == "font") {
      if (toks.size() != 3 || !toks[2].quoted) Fail(path, head.line, "font <points> \"face\"");
      d.fontPoints = ParseInt(toks[1], path);
      d.fontFace = ToUtf16(toks[2].text, path, head.line);
    } else if (head.text == "style") {
      for (size_t i = 1; i < toks.size(); ++i) {
        if (!kDialogStyles.count(toks[i].text)) Fail(path, head.line, "unknown dialog style " + toks[i].text);
        d.styles.push_back(kDialogStyles.at(toks[i].text));
      }
    } else if (head.text == "control") {
      if (toks.size() < 8 || !toks[3].quoted) Fail(path, head.line, "control <id> <kind> \"text\" x y w h [styles]");
      ControlEntry c;
      const NamedId id = ParseId(toks[1], path);
      c.id = id.id;
      c.name = id.name;
      ClaimName(controlNames, c.name, path, head.line);
      if (!kKinds.count(toks[2].text)) Fail(path, head.line, "unknown control kind " + toks[2].text);
      c.kind = kKinds.at(toks[2].text);
      c.text = ToUtf16(toks[3].text, path, head.line);
      c.x = ParseInt(toks[4], path);
      c.y = ParseInt(toks[5], path);
      c.cx = ParseInt(toks[6], path);
      c.cy = ParseInt(toks[7], path);
      for (size_t i = 8; i < toks.size(); ++i) {
        if (!kControlStyles.count(toks[i].text)) Fail(path, head.line, "unknown control style " + toks[i].text);
        c.styles.push_back(kControlStyles.at(toks[i].text));
      }
      if (c.id != -1) {
        for (const ControlEntry& other : d.controls) {
          if (other.id == c.id) Fail(path, head.line, "control id given twice in one dialog");
        }
      }
      d.controls.push_back(c);
    } else {
      Fail(path, head.line, "unknown keyword " + head.text);
    }
  }
  if (open) Fail(path, 0, "last dialog lacks its end");
  return out;
}

std::string Flags(const std::vector<std::string>& styles) {
  if (styles.empty()) return "0";
  std::string out;
  for (const std::string& s : styles) {
    if (!out.empty()) out += " | ";
    out += s;
  }
  return out;
}

// The header of the named ids.
std::string IdHeader(const std::vector<StringEntry>& strings, const std::vector<DialogEntry>& dialogs) {
  std::ostringstream o;
  o << "// Generated by resgen from res/strings.txt and res/dialogs.txt. Do not edit.\n"
       "// The ids that the resource texts name.\n"
       "#pragma once\n\n#include <cstdint>\n\n// The string table.\n";
  for (const StringEntry& e : strings) {
    if (!e.name.empty()) o << "inline constexpr uint32_t kStr" << e.name << " = " << e.id << ";\n";
  }
  for (const DialogEntry& d : dialogs) {
    if (d.name.empty()) continue;
    o << "\n// The dialog " << d.name << " and its controls.\nnamespace " << d.name << "Ids {\n";
    o << "inline constexpr int kIdd = " << d.id << ";\n";
    for (const ControlEntry& c : d.controls) {
      if (!c.name.empty()) o << "inline constexpr int kId" << c.name << " = " << c.id << ";\n";
    }
    o << "}  // namespace " << d.name << "Ids\n";
  }
  return o.str();
}

void WriteFile(const char* path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
  if (!out) {
    std::fprintf(stderr, "%s: cannot write\n", path);
    std::exit(1);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 5) {
    std::fprintf(stderr, "usage: resgen <strings.txt> <dialogs.txt> <output.cpp> <output.h>\n");
    return 2;
  }
  std::vector<StringEntry> strings = ParseStrings(argv[1]);
  std::vector<DialogEntry> dialogs = ParseDialogs(argv[2]);

  std::ostringstream o;
  o << "// Generated by resgen from res/strings.txt and res/dialogs.txt. Do not edit.\n";
  o << "#include \"res/resources.h\"\n\nnamespace {\n\n";
  o << "const ResString kStrings[] = {\n";
  for (const StringEntry& e : strings) {
    o << "  {" << e.id << ", " << Literal(e.texts.at("en")) << ",\n     " << Literal(e.texts.at("ja")) << ",\n     "
      << Literal(e.texts.at("de")) << ",\n     " << Literal(e.texts.at("zh-TW")) << "},\n";
  }
  o << "};\n\n";
  for (const DialogEntry& d : dialogs) {
    o << "const ResControl kDialog" << d.id << "[] = {\n";
    for (const ControlEntry& c : d.controls) {
      o << "  {" << c.id << ", ResControlKind::" << c.kind << ", " << Literal(c.text) << ", " << c.x << ", " << c.y
        << ", " << c.cx << ", " << c.cy << ", " << Flags(c.styles) << "},\n";
    }
    if (d.controls.empty()) o << "  {0, ResControlKind::Static, u\"\", 0, 0, 0, 0, 0},\n";
    o << "};\n\n";
  }
  o << "const ResDialog kDialogs[] = {\n";
  for (const DialogEntry& d : dialogs) {
    o << "  {" << d.id << ", " << Literal(d.title) << ", " << d.cx << ", " << d.cy << ", " << d.fontPoints << ", "
      << Literal(d.fontFace) << ", " << Flags(d.styles) << ", kDialog" << d.id << ", " << d.controls.size() << "},\n";
  }
  o << "};\n\n}  // namespace\n\n";
  o << "const ResString* ResStringTable(size_t* count) {\n"
       "  if (count) *count = sizeof kStrings / sizeof kStrings[0];\n"
       "  return kStrings;\n}\n\n";
  o << "const ResDialog* ResDialogTable(size_t* count) {\n"
       "  if (count) *count = sizeof kDialogs / sizeof kDialogs[0];\n"
       "  return kDialogs;\n}\n";

  WriteFile(argv[3], o.str());
  WriteFile(argv[4], IdHeader(strings, dialogs));
  return 0;
}
