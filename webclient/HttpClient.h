// A small request layer over libcurl: one object per request, built on the
// stack, performed once with Execute and read back with GetResponse.
// Every request verifies the TLS peer and host, accepts only http and https
// URLs, gives up on a connection that cannot be made within 30 s, on a body
// sent or a reply received slower than 1 KiB/s for 30 s, on an answer that
// does not begin within 60 s of the body's last byte, and on a request that
// outlasts its time limit (platform/win32/transferrules.h), and refuses a
// reply body beyond 64 MiB.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "platform/classlib/CString.h"
#include "platform/win32/transferrules.h"

// libcurl's form type, declared as its header declares it, so that the
// header stays in the client's source.
struct curl_mime;

class CHttpMethod {
 public:
  virtual ~CHttpMethod();
  CHttpMethod(const CHttpMethod&) = delete;
  CHttpMethod& operator=(const CHttpMethod&) = delete;

  // 0 when the transfer completed, whatever the HTTP status; 1 when the
  // request could not be prepared or the transfer failed (also when memory
  // runs out: no exception leaves a request).
  int Execute();
  // The reply body as text: decoded from UTF-8 up to its first zero
  // character; empty for an empty body; "UTF Conversion Failure" when the
  // body is not valid UTF-8; empty when memory runs out.
  CString GetResponse() const;

  // The largest reply body accepted, in bytes; 0 restores the built-in 64 MiB.
  // A longer reply fails the transfer.
  void SetReplyLimit(size_t bytes);
  // The longest the whole request may take, in seconds, before the second
  // that every KiB of its body adds (unless `growth` is kNone); 0 restores
  // the default of 60 s. The size the reply announces adds nothing.
  void SetTimeLimit(long seconds, TransferDeadline::Growth growth = TransferDeadline::Growth::kWithSize);

 protected:
  explicit CHttpMethod(const char16_t* url);
  // Returns the prepared handle, or null when the request cannot be made.
  virtual CURL* PrepareRequest() = 0;
  // A fresh easy handle with the options every request shares (the one held
  // before is freed); null on failure.
  CURL* InitHandle();

  std::u16string m_url;

 private:
  struct EasyCleanup {
    void operator()(CURL* handle) const;
  };

  static size_t WriteCallback(char* data, size_t size, size_t count, void* user);

  std::unique_ptr<CURL, EasyCleanup> m_handle;
  std::string m_response;
  size_t m_replyLimit;
  TransferDeadline m_deadline;
};

// A multipart/form-data POST: the text fields in the order added, then the
// file parts in the order added. Each file part carries its name as its file
// name too; the files are read when the request is prepared.
class CPostMethod : public CHttpMethod {
 public:
  explicit CPostMethod(const char16_t* url);
  ~CPostMethod() override;  // the form goes before the handle it was made for

  // A field or file that cannot be kept for want of memory makes Execute fail.
  void AddField(const char16_t* name, const char16_t* value);
  void AddFile(const char16_t* name, const char16_t* path, const char16_t* contentType);

 protected:
  CURL* PrepareRequest() override;

 private:
  struct MimeFree {
    void operator()(curl_mime* form) const;
  };

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
  std::unique_ptr<curl_mime, MimeFree> m_form;
  bool m_partLost = false;  // a field or file could not be kept: the request is refused
};
