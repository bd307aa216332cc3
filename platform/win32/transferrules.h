// The rules every network transfer of the program follows, in one place so
// that the request layer and the file download cannot drift apart: only http
// and https (also after a redirect), the TLS peer and host verified, a
// connection that cannot be made within 30 s abandoned, a transfer that
// stalls below 1 byte/s for 60 s abandoned, no signals from the resolver.
#pragma once

#include <string>

// libcurl's easy handle, kept out of this header.
typedef void CURL;

constexpr long kTransferConnectTimeoutSeconds = 30;
constexpr long kTransferLowSpeedBytesPerSecond = 1;
constexpr long kTransferLowSpeedSeconds = 60;

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
