// The byte-level steps of the request encoding: block padding, Base64 and
// percent-escaping. Kept apart from the cryptography so they can be checked
// on their own.
#pragma once

#include <cstddef>
#include <string>

namespace korvun {

// Appends p bytes of value p so that the length becomes a multiple of
// blockSize (1 <= p <= blockSize; a full block when already aligned).
void PadPkcs7(std::string& text, int blockSize);

// RFC 4648 Base64, standard alphabet, "=" filling, no line breaks.
std::string Base64Encode(const unsigned char* data, std::size_t length);

// Letters and digits stay; a blank becomes "%20" (or "+" when asked);
// every other byte becomes "%" and two uppercase hex digits.
std::string UrlEscape(const std::string& text, bool blankAsPlus);

}  // namespace korvun
