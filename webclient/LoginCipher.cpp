#include "webclient/LoginCipher.h"

#include <cryptopp/aes.h>
#include <cryptopp/base64.h>
#include <cryptopp/filters.h>
#include <cryptopp/hex.h>
#include <cryptopp/modes.h>
#include <cryptopp/osrng.h>
#define CRYPTOPP_ENABLE_NAMESPACE_WEAK 1
#include <cryptopp/md5.h>

#include "platform/win32/utf.h"
#include "webclient/deploy.h"

std::u16string EncryptPayload(const char16_t* plainText, const BYTE* iv) {
  const std::string plain = plainText ? Utf16ToUtf8(plainText) : std::string();
  const std::string key = DeployCipherKey();
  if (key.size() != CryptoPP::AES::MAX_KEYLENGTH) return std::u16string();

  CryptoPP::byte ivBytes[CryptoPP::AES::BLOCKSIZE];
  if (iv) {
    std::copy(iv, iv + CryptoPP::AES::BLOCKSIZE, ivBytes);
  } else {
    CryptoPP::AutoSeededRandomPool rng;
    rng.GenerateBlock(ivBytes, sizeof ivBytes);
  }

  std::string encoded;
  try {
    CryptoPP::CBC_Mode<CryptoPP::AES>::Encryption enc(reinterpret_cast<const CryptoPP::byte*>(key.data()), key.size(),
                                                      ivBytes);
    CryptoPP::StringSource source(plain, true,
                                  new CryptoPP::StreamTransformationFilter(
                                      enc, new CryptoPP::Base64Encoder(new CryptoPP::StringSink(encoded), true, 72),
                                      CryptoPP::StreamTransformationFilter::PKCS_PADDING));
  } catch (const CryptoPP::Exception&) {
    return std::u16string();
  }
  if (!encoded.empty()) encoded.pop_back();  // the encoder's final line feed
  return std::u16string(encoded.begin(), encoded.end());
}

std::string Md5Hex(const void* data, size_t size) {
  std::string hex;
  try {
    CryptoPP::Weak1::MD5 md5;
    CryptoPP::byte digest[CryptoPP::Weak1::MD5::DIGESTSIZE];
    md5.CalculateDigest(digest, static_cast<const CryptoPP::byte*>(data), size);
    CryptoPP::ArraySource(digest, sizeof digest, true, new CryptoPP::HexEncoder(new CryptoPP::StringSink(hex), true));
  } catch (const CryptoPP::Exception&) {
    return std::string();
  }
  return hex;
}
