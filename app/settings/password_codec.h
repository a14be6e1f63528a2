#pragma once
// The reversible codec for passwords kept in INI files and handed to the cloud
// uploader: AES-128-CBC with a key fixed in the program and a zero vector, as
// lower-case hex. Anyone holding the program can decode it; it only keeps
// passwords out of plain sight in files and process lists.
#include <string>
#include <string_view>

namespace ostrel {

// Only the low byte of each UTF-16 unit of the text is kept, zero-filled to whole
// 16-byte blocks (none for an empty text). Same text, same result every time.
std::string EncodePassword(std::string_view text);

// The inverse as far as the low bytes allow: the text ends at the first zero
// byte, and each byte comes back as the character of the same value (0-255).
// An odd last digit and a last partial block (never produced by the encoder, but
// what a cut-off file value leaves) are dropped; text that is not hex decodes to
// an empty password.
std::string DecodePassword(std::string_view encoded);

}  // namespace ostrel
