#pragma once
// Reading and writing one key of an INI file, the way the classic private-profile
// calls of other desktops do it: one call per key, nothing cached between calls.
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
// A symbolic link is followed to its final target, which is written in its own
// directory, so the link stays a link; a dangling link creates its target when
// the target's directory exists. The file is replaced atomically: the new content
// goes to a temporary file in the same directory, is flushed to disk and renamed
// over the old one, keeping its permission bits (and owner when allowed). An
// interruption at any moment, even SIGKILL or a power cut, leaves either the old
// or the new file.
//
// A file with more than one hard link is rewritten in place instead, so that
// every name sees the new content: the new content is built and flushed in the
// temporary as above, which is then renamed to ".<name>.<pid>.<n>.new", copied
// over the file from the first byte that changes, and removed once the file is
// cut to its new length and flushed. An interruption before that copy leaves the
// old file; one during it may leave the file torn, with the whole new content in
// the ".new" file beside it, which later writes leave alone (only ".tmp" files of
// writers that no longer run are removed). An I/O error during the copy does the
// same and returns false.
//
// Returns false, leaving the file untouched and no temporary file behind, when
// the write cannot be done: a name or value the layout cannot hold (line breaks
// or NUL anywhere, an empty section, "=" in the key, an empty key or one starting
// with ";" or "["), a path that is a directory or another non-regular file, a
// file that exists but cannot be read (rewriting it would lose its other lines),
// a write-protected file (one the user may not write, or, even for root, one
// without any write permission bit, as rm and editors treat it), a directory that
// cannot be written, an I/O error.
bool WriteProfileString(std::string_view section, std::string_view key, std::string_view value,
                        const std::string& path);

}  // namespace tovira
