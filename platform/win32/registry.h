// The registry functions the program uses, over two sources: the current
// user's keys live in the settings store (regstore.h); the local machine
// offers, read-only, the time-zone list under
// "SOFTWARE\Microsoft\Windows NT\CurrentVersion\Time Zones" (timezones.h),
// one sub-key per zone with "Display" and "Std" (REG_SZ) and "TZI"
// (REG_BINARY, 44 bytes). Every call reads the store afresh, so values written
// by another process are seen at once. Results are Win32 error codes.
#pragma once

#include <cstdint>

#include "platform/win32/lasterror.h"
#include "platform/win32/wintypes.h"

struct RegKeyHandle;
typedef RegKeyHandle* HKEY;
typedef HKEY* PHKEY;
typedef DWORD REGSAM;
typedef LONG LSTATUS;

#define HKEY_CURRENT_USER (reinterpret_cast<HKEY>(static_cast<uintptr_t>(0x80000001u)))
#define HKEY_LOCAL_MACHINE (reinterpret_cast<HKEY>(static_cast<uintptr_t>(0x80000002u)))

#define KEY_QUERY_VALUE 0x0001
#define KEY_SET_VALUE 0x0002
#define KEY_CREATE_SUB_KEY 0x0004
#define KEY_ENUMERATE_SUB_KEYS 0x0008
#define KEY_READ 0x20019
#define KEY_WRITE 0x20006
#define KEY_ALL_ACCESS 0xF003F

#define REG_NONE 0
#define REG_SZ 1
#define REG_EXPAND_SZ 2
#define REG_BINARY 3
#define REG_DWORD 4
#define REG_MULTI_SZ 7

#define REG_OPTION_NON_VOLATILE 0
#define REG_CREATED_NEW_KEY 1
#define REG_OPENED_EXISTING_KEY 2

// ERROR_FILE_NOT_FOUND when the key does not exist; ERROR_INVALID_HANDLE for
// an unknown root; ERROR_INVALID_PARAMETER for a bad path. An empty sub-key
// opens the root itself.
LSTATUS RegOpenKeyExW(HKEY key, const char16_t* subKey, DWORD options, REGSAM access, PHKEY result);
// As RegOpenKeyExW, creating the key and its missing parents in the current
// user's store (ERROR_ACCESS_DENIED under the local machine).
LSTATUS RegCreateKeyExW(HKEY key, const char16_t* subKey, DWORD reserved, char16_t* keyClass, DWORD options,
                        REGSAM access, void* security, PHKEY result, DWORD* disposition);
LSTATUS RegCloseKey(HKEY key);

// Win32 sizes: *cbData in bytes; with data null the size needed is given;
// ERROR_MORE_DATA (and the size needed) when it does not fit.
LSTATUS RegQueryValueExW(HKEY key, const char16_t* name, DWORD* reserved, DWORD* type, BYTE* data, DWORD* cbData);
// Stores the bytes as given (REG_SZ data should hold its terminating zero).
// ERROR_ACCESS_DENIED without KEY_SET_VALUE or under the local machine;
// ERROR_INVALID_DATA when the store cannot be written (a malformed store is never overwritten).
LSTATUS RegSetValueExW(HKEY key, const char16_t* name, DWORD reserved, DWORD type, const BYTE* data, DWORD cbData);
LSTATUS RegDeleteValueW(HKEY key, const char16_t* name);

// The value or sub-key at an index, in stored order; ERROR_NO_MORE_ITEMS past
// the last. *cchName is in characters, without the terminator on return.
LSTATUS RegEnumValueW(HKEY key, DWORD index, char16_t* name, DWORD* cchName, DWORD* reserved, DWORD* type, BYTE* data,
                      DWORD* cbData);
LSTATUS RegEnumKeyExW(HKEY key, DWORD index, char16_t* name, DWORD* cchName, DWORD* reserved, char16_t* keyClass,
                      DWORD* cchClass, FILETIME* lastWrite);

#ifndef ERROR_INVALID_DATA
#define ERROR_INVALID_DATA 13L
#endif
