// A small request layer over libcurl: one object per request, built on the
// stack, performed once with Execute and read back with GetResponse.
// Every request verifies the TLS peer and host, accepts only http and https
// URLs, gives up on a connection that cannot be made within 30 s or on a
// transfer that stalls (below 1 byte/s for 60 s), and refuses a reply body
// beyond 64 MiB.
#pragma once

#include <curl/curl.h>

#include <cstddef>
#include <string>
#include <vector>

#include "platform/classlib/CString.h"

class CHttpMethod {
 public:
  virtual ~CHttpMethod();
  CHttpMethod(const CHttpMethod&) = delete;
  CHttpMethod& operator=(const CHttpMethod&) = delete;

  // 0 when the transfer completed, whatever the HTTP status; 1 when the
  // request could not be prepared or the transfer failed.
  int Execute();
  // The reply body as text: decoded from UTF-8 up to its first zero
  // character; empty for an empty body; "UTF Conversion Failure" when the
  // body is not valid UTF-8.
  CString GetResponse() const;

 protected:
  explicit CHttpMethod(const char16_t* url);
  // Returns the prepared handle, or null when the request cannot be made.
  virtual CURL* PrepareRequest() = 0;
  CURL* InitHandle();

  std::u16string m_url;
  CURL* m_handle = nullptr;
  std::string m_response;

 private:
  static size_t WriteCallback(char* data, size_t size, size_t count, void* user);
};

// A multipart/form-data POST: the text fields in the order added, then the
// file parts in the order added. Each file part carries its name as its file
// name too; the files are read when the request is prepared.
class CPostMethod : public CHttpMethod {
 public:
  explicit CPostMethod(const char16_t* url);
  ~CPostMethod() override;

  void AddField(const char16_t* name, const char16_t* value);
  void AddFile(const char16_t* name, const char16_t* path, const char16_t* contentType);

 protected:
  CURL* PrepareRequest() override;

 private:
  struct Field {
    std::u16string name;
    std::u16string value;
  };
  struct FilePart {
    std::u16string name;
    std::u16string path;
    std::u16string contentType;
  };
  std::vector<Field> m_fields;
  std::vector<FilePart> m_files;
  curl_mime* m_form = nullptr;
};

// UTF-8 of a zero-terminated wide text; null gives an empty text.
std::string ToUtf8(const char16_t* text);

// Test hook: the largest reply body accepted (0 = the built-in 64 MiB).
void SetHttpReplyLimitForTest(size_t bytes);
