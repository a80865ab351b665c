#pragma once
// Reading and writing one key of an INI file, the way the classic private-profile
// calls do it: one call per key, nothing cached between calls. Windows' adapter
// is those calls; other systems' write the same layout themselves.
//
// The layout understood, which is that of those calls:
// - Lines end in LF, CR or CRLF. A UTF-8 byte order mark at the very start is
//   skipped. Lines before the first section belong to no section.
// - Blanks are spaces, tabs, vertical tabs, form feeds and ^Z (the old end-of-file
//   mark); they are dropped around names and values.
// - "[name]" opens a section: the name ends at the line's LAST "]" ("[a]]" names
//   "a]"), text after it is ignored; a line that starts with "[" but has no "]"
//   is ignored and opens nothing. No section has an empty name.
// - "key=value" is a key line; the key ends at the first "=". A line that holds
//   just a name, without "=", is that key without a value: it reads as missing.
// - A line whose first non-blank character is ";" is a comment.
// - Names match regardless of ASCII case. Only the FIRST section of a given name
//   counts, and within it the first line of a given key; later duplicates are
//   neither read nor written.
// - Names and values are C texts: a NUL byte ends one. Values are bytes passed
//   through otherwise, but one pair of matching double or single quotes around a
//   value is dropped, and a value is cut to kMaxProfileValueLength bytes, both as
//   the classic call does it with a buffer one byte longer: the closing quote is
//   dropped only when the value without its opening quote fits that buffer with
//   its terminating zero (so a quoted value of exactly 256 bytes loses one more).
// Both calls stream the file through a fixed-size buffer and keep at most a few
// hundred bytes per line, whatever the size of the file or the length of its
// lines; the time taken is linear in the file's size.

#include <cstddef>
#include <string>
#include <string_view>

namespace tovira {

inline constexpr std::size_t kMaxProfileValueLength = 254;

// The value of key in section, or defaultValue when the file (or what a symbolic
// link points to) is not a readable regular file, or the section or key is absent.
std::string ReadProfileString(std::string_view section, std::string_view key, std::string_view defaultValue,
                              const std::string& path);

// Sets key in section to value: replaces everything after the "=" of the key's
// line (or adds "=value" to a line holding just its name), or adds "key=value"
// after the last key line of the section (right after its header when it has
// none), or adds the section with the key at the end of the file, or creates the
// file. Values are written as given, without quotes. Every other byte stays as it
// was; added lines end in the file's first line break (CRLF, LF or CR; LF in a
// file without one).
//
// Returns false, leaving the file untouched, when the write cannot be done: a
// name or value the layout cannot hold (line breaks or NUL anywhere, an empty
// section, "=" in the key, an empty key or one starting with ";" or "["), a path
// that is a directory or another non-regular file, a write-protected file, a
// directory that cannot be written, an I/O error.
bool WriteProfileString(std::string_view section, std::string_view key, std::string_view value,
                        const std::string& path);

}  // namespace tovira
