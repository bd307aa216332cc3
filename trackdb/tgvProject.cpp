#include "trackdb/tgvProject.h"

#include <chrono>
#include <new>

#include "icbase/src/icutil/utdm/unifile.h"
#include "icbase/src/icxml/xml/icxml.h"
#include "trackdb/tgvDocument.h"
#include "trackdb/tgvLanguages.h"

namespace {

constexpr uint32_t kPoolFirstBlock = 1024;
constexpr int kImportPasses = 6;

const icXDtdRecord_C kDescriptorTags[] = {
    {u"brPROJECT", 0, nullptr, 3, u"name:S;language:S;poi:S", 0},
    {nullptr, 0, nullptr, 0, nullptr, 0},
};

bool Equal(const char16_t* a, const char16_t* b) {
  if (!a || !b) return false;
  return std::u16string_view(a) == std::u16string_view(b);
}

StrPool_C* NewPool() { return new (std::nothrow) StrPool_C(kPoolFirstBlock); }

}  // namespace

// --- tgvProject_C ---

tgvProject_C::tgvProject_C() : m_state(kClosed), m_language(0), m_errorCode(0), m_pool(NewPool()) {}

tgvProject_C::~tgvProject_C() { m_document.reset(); }

const char16_t* tgvProject_C::LanguageName(int32_t index) { return tgvLanguageName(index); }

int32_t tgvProject_C::LanguageIndex(const char16_t* name) { return tgvLanguageIndex(name); }

const char16_t* tgvProject_C::GetLanguageName() const { return LanguageName(m_language); }

bool tgvProject_C::SaveAs(const char16_t*) { return false; }

bool tgvProject_C::InitPaths(const char16_t* folder) {
  if (!folder || !*folder) {
    m_errorCode = kErrInit;
    return false;
  }
  UniPath_C base(folder);
  base.SetTrailingBackslash(0);
  m_descriptorPath = base;
  m_descriptorPath.AppendPath(u"bruser.brx");
  m_databasePath = base;
  m_databasePath.AppendPath(u"bruser.poi");
  return true;
}

void tgvProject_C::Reset() {
  m_log.Empty();
  m_state = kClosed;
  m_language = 0;
  m_errorCode = 0;
  m_descriptorPath.Empty();
  m_databasePath.Empty();
  m_document.reset();
  // A pool lost to a failure is made again, so that the object is usable.
  m_pool.reset(NewPool());
}

tgvDocument_C* tgvProject_C::Open(const char16_t* folder, tgvOpenMode mode) {
  if (m_state == kOpen) Reset();
  int32_t code = 0;
  if (!m_pool || !InitPaths(folder)) {
    m_log = u"Error: init project failed. \n";
    code = kErrInit;
  } else {
    ProjectXml_C xml(&m_log, m_pool.get());
    ProjectFileInfo_C info;
    if (xml.Parse(m_descriptorPath.GetText()) && info.Read(xml.GetRoot())) {
      m_language = info.language;
      m_log.AppendCString(u" Generate DB ... \n");
      code = Generate(xml.GetRoot(), mode);
      if (code) m_log.AppendCString(u"Error: failed to generate DB. \n");
    } else {
      m_log.AppendCString(u"Error: failed to parse. \n");
      code = kErrParse;
    }
  }
  return Finish(code, u"Open successfully. \n");
}

bool tgvProject_C::WriteDescriptor() const {
  WStrBuilder_C text;
  UniString_C language;
  language.Format(u"    language=\"%s\"", LanguageName(m_language));
  return text.AppendLine(u"<brPROJECT") && text.AppendLine(u"    name=\"bruser\"") &&
         text.AppendLine(language.GetText()) && text.AppendLine(u"    poi=\"bruser.poi\"") &&
         text.AppendLine(u"    >") && text.AppendLine(u"") && text.AppendLine(u"</brPROJECT>") &&
         text.SaveToFile(m_descriptorPath.GetText(), kUniEncUtf16);
}

tgvDocument_C* tgvProject_C::Create(const char16_t* folder, int32_t language) {
  if (m_state == kOpen) Reset();
  m_language = language;
  int32_t code = 0;
  // An index outside the table would name no language in the descriptor.
  if (!m_pool || language < 0 || language >= kLanguageCount || !InitPaths(folder) || !WriteDescriptor()) {
    code = kErrCreate;
  } else {
    m_log.AppendCString(u" Create DB ... \n");
    code = Generate(nullptr, tgvOpen_ReadWrite);
    if (code) m_log.AppendCString(u"Error: failed to create DB. \n");
  }
  return Finish(code, u"Create successfully. \n");
}

tgvDocument_C* tgvProject_C::Finish(int32_t code, const char16_t* success) {
  if (code) {
    m_document.reset();
    m_pool.reset();
    m_state = kFailed;
  } else {
    m_log.AppendCString(success);
    m_state = kOpen;
  }
  m_errorCode = code;
  return m_document.get();
}

bool tgvProject_C::Save() { return m_state == kOpen && m_document && m_document->Save(); }

int32_t tgvProject_C::Generate(const icXElement_C* root, tgvOpenMode mode) {
  m_document.reset(new (std::nothrow) tgvDocument_C(&m_log));
  if (m_databasePath.IsEmpty() || !m_document || !m_document->Open(m_databasePath.GetText(), mode)) return kErrGenerate;
  if (!root) return 0;
  ProjectFileInfo_C info;
  info.Read(root);
  // The descriptor of this format offers no item to any import pass: each
  // pass only logs its time.
  for (int pass = 0; pass < kImportPasses; ++pass) {
    const auto start = std::chrono::steady_clock::now();
    const auto elapsed =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
    UniString_C line;
    line.Format(u"[%d]: time = %.3f ", pass, static_cast<double>(static_cast<float>(elapsed / 1000.0)));
    m_log.AppendString(line);
  }
  return 0;
}

// --- ProjectXml_C ---

ProjectXml_C::ProjectXml_C(UniString_C* log, StrPool_C* pool) : m_log(log), m_pool(pool) {
  if (!m_pool) {
    m_ownPool.reset(NewPool());
    m_pool = m_ownPool.get();
  }
}

ProjectXml_C::~ProjectXml_C() { m_parser.reset(); }

bool ProjectXml_C::Parse(const char16_t* path) {
  m_parser.reset();
  if (!m_pool || !path) return false;
  m_parser.reset(new (std::nothrow) icXParser_C(m_pool, kDescriptorTags));
  if (!m_parser) return false;
  if (m_log) m_log->AppendString(m_parser->GetLog());
  return m_parser->ParseFile(path);
}

const icXElement_C* ProjectXml_C::GetRoot() const { return m_parser ? m_parser->GetRoot() : nullptr; }

// --- ProjectFileInfo_C ---

bool ProjectFileInfo_C::Read(const icXElement_C* rootNode) {
  valid = false;
  root = rootNode;
  name = poi = nullptr;
  language = 0;
  if (!rootNode || !Equal(rootNode->name, u"brPROJECT")) return false;
  uint32_t steps = rootNode->attrCount;
  for (const icXAttribute_C* a = rootNode->firstAttr; a && steps; a = a->Next(), --steps) {
    if (!a->name || !a->value) continue;
    if (Equal(a->name, u"name")) {
      name = a->value;
    } else if (Equal(a->name, u"poi")) {
      poi = a->value;
    } else if (Equal(a->name, u"language")) {
      language = tgvProject_C::LanguageIndex(a->value);
      if (language < 0) {
        language = 0;
        return false;
      }
    } else {
      return false;
    }
  }
  valid = name && poi;
  return valid;
}
