// The rules every network transfer of the program follows, in one place so
// that the request layer and the file download cannot drift apart: only http
// and https (also after a redirect), the TLS peer and host verified, a
// connection that cannot be made within 30 s abandoned, a transfer slower
// than 1 KiB/s for 30 s abandoned, no signals from the resolver; and an
// overall time limit for each transfer (TransferDeadline), so that a reply
// that trickles just fast enough never holds a transfer for ever.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

// libcurl's easy handle, kept out of this header.
typedef void CURL;

constexpr long kTransferConnectTimeoutSeconds = 30;
constexpr long kTransferLowSpeedBytesPerSecond = 1024;
constexpr long kTransferLowSpeedSeconds = 30;

// The overall time limit of one transfer: `baseSeconds`, plus (kWithSize)
// one second for every kTransferLowSpeedBytesPerSecond bytes it sends or its
// reply announces (its length, when given), so that a large transfer at the
// slowest speed the rules allow still ends in time. The clock starts when it
// is applied.
class TransferDeadline {
 public:
  enum class Growth { kWithSize, kNone };
  explicit TransferDeadline(long baseSeconds, Growth growth = Growth::kWithSize)
      : m_baseSeconds(baseSeconds), m_growth(growth) {}
  // Installs the limit on `handle`, which must not be performed after this
  // object is gone; false when libcurl refuses it.
  bool Apply(CURL* handle);
  // True once the transfer of `bytes` (sent and announced) has run longer
  // than its limit.
  bool Passed(int64_t bytes) const;

 private:
  long m_baseSeconds;
  Growth m_growth;
  std::chrono::steady_clock::time_point m_start;
};

// True for a URL that starts with "http://" or "https://" (scheme in any case).
bool IsHttpOrHttpsUrl(const std::u16string& url);

// Extra trusted CA certificates (a PEM file) for every transfer; empty = the
// system's store only. Safe from any thread.
void SetTransferCaFile(const std::string& pemPath);
std::string TransferCaFile();

// Applies the rules (and the CA file, when one is set) to a handle; false when
// libcurl refuses one of them, and the handle must then not be used.
bool ApplyTransferRules(CURL* handle);

// curl_global_init exactly once per process, from whichever thread comes first.
void EnsureCurlGlobalInit();
