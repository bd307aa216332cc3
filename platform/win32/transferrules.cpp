#include "platform/win32/transferrules.h"

#include <curl/curl.h>

#include <mutex>

namespace {

std::mutex g_caMutex;
std::string g_caFile;  // guarded by g_caMutex
std::once_flag g_curlInit;

bool StartsWithNoCase(const std::u16string& text, const char* prefix) {
  size_t i = 0;
  for (; prefix[i]; ++i) {
    if (i >= text.size()) return false;
    char16_t c = text[i];
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
    if (c != static_cast<char16_t>(prefix[i])) return false;
  }
  return true;
}

}  // namespace

bool IsHttpOrHttpsUrl(const std::u16string& url) {
  return StartsWithNoCase(url, "http://") || StartsWithNoCase(url, "https://");
}

namespace {

// libcurl's progress callback: a non-zero result ends the transfer.
int DeadlineProgress(void* deadline, curl_off_t, curl_off_t received, curl_off_t toSend, curl_off_t sent) {
  return static_cast<TransferDeadline*>(deadline)->Passed(static_cast<int64_t>(sent), static_cast<int64_t>(toSend),
                                                          static_cast<int64_t>(received))
             ? 1
             : 0;
}

}  // namespace

bool TransferDeadline::Apply(CURL* h) {
  m_start = m_windowStart = Clock::now();
  m_windowBytes = 0;
  m_answerAwaited = false;
  return h && curl_easy_setopt(h, CURLOPT_XFERINFOFUNCTION, &DeadlineProgress) == CURLE_OK &&
         curl_easy_setopt(h, CURLOPT_XFERINFODATA, this) == CURLE_OK &&
         curl_easy_setopt(h, CURLOPT_NOPROGRESS, 0L) == CURLE_OK;
}

bool TransferDeadline::Passed(int64_t sent, int64_t toSend, int64_t received) {
  const Clock::time_point now = Clock::now();
  const int64_t grown = m_growth == Growth::kWithSize && toSend > 0 ? toSend / kTransferLowSpeedBytesPerSecond : 0;
  if (now - m_start > std::chrono::seconds(m_baseSeconds + grown)) return true;
  if (toSend > 0 && sent >= toSend && received == 0) {
    if (!m_answerAwaited) m_bodySent = now;
    m_answerAwaited = true;
    // The low-speed window starts again with the reply.
    m_windowStart = now;
    m_windowBytes = sent;
    return now - m_bodySent > std::chrono::seconds(kTransferAnswerSeconds);
  }
  return TooSlow(now, sent + received);
}

bool TransferDeadline::TooSlow(Clock::time_point now, int64_t moved) {
  if (moved - m_windowBytes >= int64_t{kTransferLowSpeedBytesPerSecond} * kTransferLowSpeedSeconds) {
    m_windowStart = now;
    m_windowBytes = moved;
    return false;
  }
  return now - m_windowStart > std::chrono::seconds(kTransferLowSpeedSeconds);
}

void SetTransferCaFile(const std::string& pemPath) {
  std::lock_guard<std::mutex> lock(g_caMutex);
  g_caFile = pemPath;
}

std::string TransferCaFile() {
  std::lock_guard<std::mutex> lock(g_caMutex);
  return g_caFile;
}

void EnsureCurlGlobalInit() {
  std::call_once(g_curlInit, [] { curl_global_init(CURL_GLOBAL_ALL); });
}

bool ApplyTransferRules(CURL* h, TransferDeadline& deadline) {
  if (!h || !deadline.Apply(h)) return false;
  const std::string caFile = TransferCaFile();
  bool ok = curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https") == CURLE_OK &&
            curl_easy_setopt(h, CURLOPT_REDIR_PROTOCOLS_STR, "http,https") == CURLE_OK &&
            curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L) == CURLE_OK &&
            curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT, kTransferConnectTimeoutSeconds) == CURLE_OK &&
            curl_easy_setopt(h, CURLOPT_SSL_VERIFYPEER, 1L) == CURLE_OK &&
            curl_easy_setopt(h, CURLOPT_SSL_VERIFYHOST, 2L) == CURLE_OK;
  if (ok && !caFile.empty()) ok = curl_easy_setopt(h, CURLOPT_CAINFO, caFile.c_str()) == CURLE_OK;
  return ok;
}
