#pragma once
// Functions of the Microsoft C runtime that have no POSIX equivalent under the
// same name: the runtime's own on Windows.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#ifdef _WIN32
#include <mbstring.h>
#else
// Copy allocated with malloc (release with free); null for a null text.
char* _strdup(const char* strSource);

// Byte-wise comparisons of texts in a single-byte code page; <0, 0 or >0.
int _mbscmp(const unsigned char* string1, const unsigned char* string2);
int _mbsicmp(const unsigned char* string1, const unsigned char* string2);
int _stricmp(const char* string1, const char* string2);
int _strnicmp(const char* string1, const char* string2, size_t count);
int _memicmp(const void* buffer1, const void* buffer2, size_t count);

// Digits in radix 2 to 36, lower-case letters. Only radix 10 writes a minus sign;
// other radixes show the two's complement of a negative value. An invalid radix
// gives the empty text. The buffer must hold the result (up to 33 / 65 bytes).
char* _itoa(int value, char* buffer, int radix);
char* _ltoa(long value, char* buffer, int radix);
char* _ultoa(unsigned long value, char* buffer, int radix);
char* _i64toa(int64_t value, char* buffer, int radix);
char* _ui64toa(uint64_t value, char* buffer, int radix);
#endif

// atoi and atol as the Windows runtime has them: int and long are 32 bits,
// and a number beyond that range gives INT_MAX or INT_MIN rather than
// wrapping. Leading white space, an optional sign, decimal digits; a text
// without leading digits (or null) gives 0.
int AfxAtoi(const char* text);
