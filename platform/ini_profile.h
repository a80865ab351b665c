#pragma once
// Reading and writing one key of an INI file, the way the classic private-profile
// calls of other desktops do it: one call per key, nothing cached between calls.
//
// The layout understood:
// - "[name]" opens a section (blanks around the name dropped, text after "]" ignored);
//   a line that starts with "[" but has no "]" is ignored and opens nothing.
// - "key=value" is a key line; the key ends at the first "="; blanks (spaces,
//   tabs) around key and value are dropped. A line without "=" is no key line.
// - A line whose first non-blank character is ";" is a comment.
// - Names match regardless of ASCII case. Only the FIRST section of a given name
//   counts, and within it the first line of a given key; later duplicates are
//   neither read nor written.
// - Lines end in LF; a CR right before the LF belongs to the line ending. A UTF-8
//   byte order mark at the very start is skipped. Lines before the first section
//   belong to no section.
// - Values are bytes passed through unchanged, except that a value is cut at a
//   NUL byte and to kMaxProfileValueLength bytes (the reader's result is a C text).
//
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
// line, or adds "key=value" after the last key line of the section (right after
// its header when it has none), or adds the section with the key at the end of
// the file, or creates the file. Every other byte stays as it was; added lines
// use CRLF when the file's first line ends in CRLF, else LF.
//
// The file is replaced atomically: the new content goes to a temporary file in
// the same directory, is flushed to disk and renamed over the old one, keeping its
// permission bits (and owner when allowed). An interruption at any moment, even
// SIGKILL or a power cut, leaves either the old or the new file. A symbolic link
// is followed to its final target, which is replaced in its own directory, so the
// link stays a link; a dangling link creates its target when the target's
// directory exists.
//
// Returns false, leaving the file untouched and no temporary file behind, when
// the write cannot be done: a name or value the layout cannot hold (line breaks
// or NUL anywhere, "]" in the section, "=" in the key, an empty key or one
// starting with ";" or "["), a path that is a directory or another non-regular
// file, a file that exists but cannot be read (rewriting it would lose its other
// lines), a directory that cannot be written, an I/O error.
bool WriteProfileString(std::string_view section, std::string_view key, std::string_view value,
                        const std::string& path);

}  // namespace tovira
