// Helpers shared by the web client tests: temporary folders, running a
// command and reading its output, a locale with a decimal comma.
#pragma once

#include <stdlib.h>
#include <unistd.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

class TempDir {
 public:
  TempDir() {
    char tmpl[] = "/tmp/pmwebXXXXXX";
    if (mkdtemp(tmpl)) path_ = tmpl;
  }
  ~TempDir() {
    std::error_code ec;
    if (!path_.empty()) std::filesystem::remove_all(path_, ec);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

inline bool WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream f(path, std::ios::binary);
  f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(f);
}

inline std::string ReadBytes(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
}

// Runs a shell command; its standard output, or "" with ok = false on failure.
inline std::string RunCommand(const std::string& cmd, bool* ok = nullptr) {
  std::string out;
  FILE* p = popen(cmd.c_str(), "r");
  if (!p) {
    if (ok) *ok = false;
    return out;
  }
  char buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
  int rc = pclose(p);
  if (ok) *ok = rc == 0;
  return out;
}

inline std::string ToHex(const std::string& bytes) {
  static const char* digits = "0123456789abcdef";
  std::string hex;
  for (unsigned char c : bytes) {
    hex.push_back(digits[c >> 4]);
    hex.push_back(digits[c & 15]);
  }
  return hex;
}

// Sets a locale whose decimal point is a comma for the scope of a test: an
// installed one, or one compiled into a temporary folder.
class CommaLocale {
 public:
  CommaLocale() {
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8"})
      if (std::setlocale(LC_ALL, name)) {
        ok_ = true;
        return;
      }
    std::string cmd = "localedef -i de_DE -f UTF-8 " + dir_.path() + "/de_DE.UTF-8 >/dev/null 2>&1";
    if (std::system(cmd.c_str()) != 0) return;
    setenv("LOCPATH", dir_.path().c_str(), 1);
    ok_ = std::setlocale(LC_ALL, "de_DE.UTF-8") != nullptr;
  }
  ~CommaLocale() {
    std::setlocale(LC_ALL, "C");
    unsetenv("LOCPATH");
  }
  bool ok() const { return ok_ && std::localeconv()->decimal_point[0] == ','; }

 private:
  TempDir dir_;
  bool ok_ = false;
};

// A test CA and certificates signed by it, made with the openssl command:
// ca.pem; server.pem/server.key for 127.0.0.1; otherhost.pem/otherhost.key
// for a different host name.
inline bool MakeTestCertificates(const std::string& dir) {
  const std::string ec = " -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes";
  std::string cmd =
      "cd '" + dir + "' && openssl req -x509" + ec +
      " -keyout ca.key -out ca.pem -days 2 -subj '/CN=Uploader Test CA'"
      " -addext basicConstraints=critical,CA:TRUE -addext keyUsage=keyCertSign,cRLSign >/dev/null 2>&1"
      " && printf 'subjectAltName=IP:127.0.0.1\\nbasicConstraints=CA:FALSE\\n' > server.ext"
      " && printf 'subjectAltName=DNS:other.example\\nbasicConstraints=CA:FALSE\\n' > other.ext"
      " && openssl req" + ec + " -keyout server.key -out server.csr -subj '/CN=127.0.0.1' >/dev/null 2>&1"
      " && openssl x509 -req -in server.csr -CA ca.pem -CAkey ca.key -CAcreateserial -days 2"
      " -extfile server.ext -out server.pem >/dev/null 2>&1"
      " && openssl req" + ec + " -keyout otherhost.key -out otherhost.csr -subj '/CN=other.example' >/dev/null 2>&1"
      " && openssl x509 -req -in otherhost.csr -CA ca.pem -CAkey ca.key -CAcreateserial -days 2"
      " -extfile other.ext -out otherhost.pem >/dev/null 2>&1";
  return std::system(cmd.c_str()) == 0;
}
