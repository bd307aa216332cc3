// Helpers of the web client tests: hex text, test certificates.
#pragma once

#include <cstdlib>
#include <string>

inline std::string ToHex(const std::string& bytes) {
  static const char* digits = "0123456789abcdef";
  std::string hex;
  for (unsigned char c : bytes) {
    hex.push_back(digits[c >> 4]);
    hex.push_back(digits[c & 15]);
  }
  return hex;
}

// A test CA and certificates signed by it, made with the openssl command:
// ca.pem; server.pem/server.key for 127.0.0.1; otherhost.pem/otherhost.key
// for a different host name.
inline bool MakeTestCertificates(const std::string& dir) {
  const std::string ec = " -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes";
  std::string cmd = "cd '" + dir + "' && openssl req -x509" + ec +
                    " -keyout ca.key -out ca.pem -days 2 -subj '/CN=Uploader Test CA'"
                    " -addext basicConstraints=critical,CA:TRUE -addext keyUsage=keyCertSign,cRLSign >/dev/null 2>&1"
                    " && printf 'subjectAltName=IP:127.0.0.1\\nbasicConstraints=CA:FALSE\\n' > server.ext"
                    " && printf 'subjectAltName=DNS:other.example\\nbasicConstraints=CA:FALSE\\n' > other.ext"
                    " && openssl req" +
                    ec +
                    " -keyout server.key -out server.csr -subj '/CN=127.0.0.1' >/dev/null 2>&1"
                    " && openssl x509 -req -in server.csr -CA ca.pem -CAkey ca.key -CAcreateserial -days 2"
                    " -extfile server.ext -out server.pem >/dev/null 2>&1"
                    " && openssl req" +
                    ec +
                    " -keyout otherhost.key -out otherhost.csr -subj '/CN=other.example' >/dev/null 2>&1"
                    " && openssl x509 -req -in otherhost.csr -CA ca.pem -CAkey ca.key -CAcreateserial -days 2"
                    " -extfile other.ext -out otherhost.pem >/dev/null 2>&1";
  return std::system(cmd.c_str()) == 0;
}
