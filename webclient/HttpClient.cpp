#include "webclient/HttpClient.h"

#include <curl/curl.h>

#include <cstdio>
#include <filesystem>
#include <stdexcept>

#include "platform/win32/filehandle.h"
#include "platform/win32/files.h"
#include "platform/win32/transferrules.h"
#include "platform/win32/utf.h"

namespace {

constexpr size_t kDefaultReplyLimit = size_t(64) << 20;
constexpr long kDefaultTimeLimitSeconds = 60;

// Reads a whole regular file; false when it cannot be opened or read.
bool ReadWholeFile(const std::u16string& path, std::string& bytes) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(PathToNative(path.c_str()), ec)) return false;
  FileHandle file(path.c_str(), "rb");
  FILE* f = file.get();
  if (!f) return false;
  if (fseeko(f, 0, SEEK_END) != 0) return false;
  off_t size = ftello(f);
  if (size < 0 || fseeko(f, 0, SEEK_SET) != 0) return false;
  bytes.resize(static_cast<size_t>(size));
  return size == 0 || fread(bytes.data(), 1, bytes.size(), f) == bytes.size();
}

}  // namespace

void CHttpMethod::EasyCleanup::operator()(CURL* handle) const { curl_easy_cleanup(handle); }
void CPostMethod::MimeFree::operator()(curl_mime* form) const { curl_mime_free(form); }

// ---------------------------------------------------------------------------

CHttpMethod::CHttpMethod(const char16_t* url) : m_replyLimit(kDefaultReplyLimit), m_deadline(kDefaultTimeLimitSeconds) {
  try {
    m_url = url ? url : u"";
  } catch (const std::exception&) {
    // Memory ran out: the URL stays empty, and Execute refuses it.
  }
  EnsureCurlGlobalInit();
}

CHttpMethod::~CHttpMethod() = default;

void CHttpMethod::SetReplyLimit(size_t bytes) { m_replyLimit = bytes ? bytes : kDefaultReplyLimit; }

void CHttpMethod::SetTimeLimit(long seconds, TransferDeadline::Growth growth) {
  m_deadline = TransferDeadline(seconds > 0 ? seconds : kDefaultTimeLimitSeconds, growth);
}

size_t CHttpMethod::WriteCallback(char* data, size_t size, size_t count, void* user) {
  if (!user) return 0;
  CHttpMethod* self = static_cast<CHttpMethod*>(user);
  const size_t n = size * count;
  if (self->m_response.size() + n > self->m_replyLimit) return 0;  // aborts the transfer
  try {
    self->m_response.append(data, n);
  } catch (const std::exception&) {
    return 0;  // memory ran out: the transfer fails; no exception crosses libcurl
  }
  return n;
}

CURL* CHttpMethod::InitHandle() {
  m_handle.reset();
  std::unique_ptr<CURL, EasyCleanup> handle(curl_easy_init());
  CURL* h = handle.get();
  if (!h) return nullptr;
  const std::string url = Utf16ToUtf8(m_url.c_str());
  const bool ok = ApplyTransferRules(h, m_deadline) && curl_easy_setopt(h, CURLOPT_URL, url.c_str()) == CURLE_OK &&
                  curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, &CHttpMethod::WriteCallback) == CURLE_OK &&
                  curl_easy_setopt(h, CURLOPT_WRITEDATA, this) == CURLE_OK;
  if (!ok) return nullptr;
  m_handle = std::move(handle);
  return h;
}

int CHttpMethod::Execute() {
  try {
    if (!IsHttpOrHttpsUrl(m_url)) return 1;
    CURL* h = PrepareRequest();
    if (!h) return 1;
    return curl_easy_perform(h) == CURLE_OK ? 0 : 1;
  } catch (const std::exception&) {  // memory ran out
    return 1;
  }
}

CString CHttpMethod::GetResponse() const {
  try {
    if (m_response.empty()) return CString();
    std::u16string text;
    if (!Utf8ToUtf16Strict(m_response, text)) return CString(u"UTF Conversion Failure");
    size_t zero = text.find(u'\0');
    if (zero != std::u16string::npos) text.resize(zero);
    return CString(std::move(text));
  } catch (const std::exception&) {  // memory ran out
    return CString();
  }
}

// ---------------------------------------------------------------------------

CPostMethod::CPostMethod(const char16_t* url) : CHttpMethod(url) {}

CPostMethod::~CPostMethod() = default;

void CPostMethod::AddField(const char16_t* name, const char16_t* value) {
  try {
    m_fields.push_back({name ? name : u"", value ? value : u""});
  } catch (const std::exception&) {
    m_partLost = true;
  }
}

void CPostMethod::AddFile(const char16_t* name, const char16_t* path, const char16_t* contentType) {
  try {
    m_files.push_back({name ? name : u"", path ? path : u"", contentType ? contentType : u""});
  } catch (const std::exception&) {
    m_partLost = true;
  }
}

CURL* CPostMethod::PrepareRequest() {
  m_form.reset();
  if (m_partLost) return nullptr;
  CURL* h = InitHandle();
  if (!h) return nullptr;

  // Every file is read before anything is sent: a part that cannot be read
  // stops the request.
  std::vector<std::string> contents(m_files.size());
  for (size_t i = 0; i < m_files.size(); ++i)
    if (!ReadWholeFile(m_files[i].path, contents[i])) return nullptr;

  std::unique_ptr<curl_mime, MimeFree> form(curl_mime_init(h));
  if (!form) return nullptr;
  for (const Field& f : m_fields) {
    curl_mimepart* part = curl_mime_addpart(form.get());
    const std::string name = Utf16ToUtf8(f.name.c_str()), value = Utf16ToUtf8(f.value.c_str());
    if (!part || curl_mime_name(part, name.c_str()) != CURLE_OK ||
        curl_mime_data(part, value.data(), value.size()) != CURLE_OK)
      return nullptr;
  }
  for (size_t i = 0; i < m_files.size(); ++i) {
    curl_mimepart* part = curl_mime_addpart(form.get());
    const std::string name = Utf16ToUtf8(m_files[i].name.c_str());
    const std::string type = Utf16ToUtf8(m_files[i].contentType.c_str());
    if (!part || curl_mime_name(part, name.c_str()) != CURLE_OK || curl_mime_filename(part, name.c_str()) != CURLE_OK ||
        curl_mime_data(part, contents[i].data(), contents[i].size()) != CURLE_OK ||
        (!type.empty() && curl_mime_type(part, type.c_str()) != CURLE_OK))
      return nullptr;
    std::string().swap(contents[i]);  // libcurl holds its own copy
  }
  if (curl_easy_setopt(h, CURLOPT_MIMEPOST, form.get()) != CURLE_OK) return nullptr;
  m_form = std::move(form);
  return h;
}
