// The rules every network transfer of the program follows, in one place so
// that the request layer and the file download cannot drift apart: only http
// and https (also after a redirect), the TLS peer and host verified, a
// connection that cannot be made within 30 s abandoned, no signals from the
// resolver; and the time limits of each transfer (TransferDeadline), so that
// neither a stall nor a reply that trickles just fast enough holds a transfer
// for ever.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

// libcurl's easy handle, kept out of this header.
typedef void CURL;

constexpr long kTransferConnectTimeoutSeconds = 30;
constexpr long kTransferLowSpeedBytesPerSecond = 1024;
constexpr long kTransferLowSpeedSeconds = 30;
// The longest a service may take to answer a request body sent whole (it may
// store an upload before it answers).
constexpr long kTransferAnswerSeconds = 60;

// The time limits of one transfer, checked as it runs:
//  - the low-speed rule: moving fewer than kTransferLowSpeedBytesPerSecond
//    bytes a second (both ways together) for kTransferLowSpeedSeconds ends
//    it, except while the service prepares its answer to a request body sent
//    whole: that wait, from the last byte sent to the first byte of the reply
//    body, may last kTransferAnswerSeconds;
//  - the overall limit: `baseSeconds`, plus (kWithSize) one second for every
//    kTransferLowSpeedBytesPerSecond bytes of the request body, so that a
//    large upload at the slowest pace the rules allow still ends in time.
//    What the reply announces never lengthens it.
// The clocks start when it is applied.
class TransferDeadline {
 public:
  enum class Growth { kWithSize, kNone };
  explicit TransferDeadline(long baseSeconds, Growth growth = Growth::kWithSize)
      : m_baseSeconds(baseSeconds), m_growth(growth) {}
  // Installs the limits on `handle` (ApplyTransferRules calls it), which must
  // not be performed after this object is gone; false when libcurl refuses
  // them.
  bool Apply(CURL* handle);
  // True once the transfer has broken a limit, given the bytes of the request
  // body sent so far and in all (0 without a body) and the bytes of the reply
  // body received so far. Called as the transfer runs, on its thread.
  bool Passed(int64_t sent, int64_t toSend, int64_t received);

 private:
  using Clock = std::chrono::steady_clock;
  // The low-speed rule: true when the transfer, at `moved` bytes, has moved
  // too little since the start of its current window.
  bool TooSlow(Clock::time_point now, int64_t moved);

  long m_baseSeconds;
  Growth m_growth;
  Clock::time_point m_start;
  Clock::time_point m_windowStart;  // the low-speed window
  int64_t m_windowBytes = 0;
  bool m_answerAwaited = false;  // the body is sent whole, no reply byte yet
  Clock::time_point m_bodySent;
};

// True for a URL that starts with "http://" or "https://" (scheme in any case).
bool IsHttpOrHttpsUrl(const std::u16string& url);

// Extra trusted CA certificates (a PEM file) for every transfer; empty = the
// system's store only. Safe from any thread.
void SetTransferCaFile(const std::string& pemPath);
std::string TransferCaFile();

// Applies the rules (and the CA file, when one is set) and the transfer's time
// limits to a handle; false when libcurl refuses one of them, and the handle
// must then not be used.
bool ApplyTransferRules(CURL* handle, TransferDeadline& deadline);

// curl_global_init exactly once per process, from whichever thread comes first.
void EnsureCurlGlobalInit();
