// The login cipher: AES-256 in CBC mode with PKCS#7 padding under the built-in
// key, Base64 with a line feed after every 72 characters. The service
// deciphers with the same key and the initialisation text of the request.
#pragma once

#include <cstddef>
#include <string>

#include "platform/win32/wintypes.h"

// Enciphers the UTF-8 bytes of `plainText` (null = empty) with the key of the
// deployment and the 16 bytes at `iv` (null = 16 random bytes). The result is
// the Base64 text without its final line feed.
std::u16string EncryptPayload(const char16_t* plainText, const BYTE* iv);

// MD5 of a byte range as 32 upper-case hexadecimal digits.
std::string Md5Hex(const void* data, size_t size);
