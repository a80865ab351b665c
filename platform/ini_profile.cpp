#include "settings/ini_profile.h"

#include "platform/regular_file.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <limits>
#include <memory>
#include <optional>
#include <utility>

namespace tovira {
namespace {

constexpr std::size_t kChunkSize = 64 * 1024;
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr int kMaxLinkHops = 40;
constexpr auto kToEnd = std::numeric_limits<std::uint64_t>::max();

// The classic profile calls' white space, less the line breaks; ^Z is the old
// end-of-file mark.
bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\x1a'; }

bool IsLineBreak(char c) { return c == '\n' || c == '\r'; }

char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  }
  return true;
}

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

bool HasAnyOf(std::string_view text, std::string_view bytes) { return text.find_first_of(bytes) != text.npos; }

constexpr std::string_view kLineBreakOrNul{"\r\n\0", 3};

// An empty name would be that of the lines before the first section, which no
// call can reach.
bool IsRepresentableSection(std::string_view section) {
  return !section.empty() && !HasAnyOf(section, kLineBreakOrNul);
}

bool IsRepresentableKey(std::string_view key) {
  return !key.empty() && key.front() != ';' && key.front() != '[' && !HasAnyOf(key, kLineBreakOrNul) &&
         key.find('=') == key.npos;
}

// The blank-trimmed text of a stream of bytes, ended by a NUL (names and values
// are C texts for the classic calls), of which at most `limit` bytes are kept,
// with the length and the last byte of the whole text. Blanks after the last
// non-blank are held back (as far as they could still fit) and join the text
// only when a non-blank or a NUL follows them.
class BoundedTrimmedText {
 public:
  void reset(std::size_t limit) {
    limit_ = limit;
    text_.clear();
    heldBlanks_.clear();
    heldCount_ = 0;
    length_ = 0;
    last_ = '\0';
    ended_ = false;
  }

  void push(char c) {
    if (ended_) return;
    if (IsBlank(c)) {
      if (length_ == 0) return;  // leading blank
      if (text_.size() + heldBlanks_.size() < limit_) heldBlanks_.push_back(c);
      ++heldCount_;
      lastBlank_ = c;
      return;
    }
    if (heldCount_ > 0) {
      text_ += heldBlanks_;
      length_ += heldCount_;
      last_ = lastBlank_;
      heldBlanks_.clear();
      heldCount_ = 0;
    }
    if (c == '\0') {
      ended_ = true;
      return;
    }
    if (text_.size() < limit_) text_.push_back(c);
    ++length_;
    last_ = c;
  }

  // The text, cut to the limit.
  const std::string& text() const { return text_; }
  std::uint64_t length() const { return length_; }
  char last() const { return last_; }
  // Whether the whole text equals `name` regardless of case (`name` no longer than the limit).
  bool equalsIgnoringCase(std::string_view name) const {
    return length_ == text_.size() && EqualsIgnoringCase(text_, name);
  }

 private:
  std::size_t limit_ = 0;
  std::string text_;
  std::string heldBlanks_;
  std::uint64_t heldCount_ = 0;
  std::uint64_t length_ = 0;
  char last_ = '\0';
  char lastBlank_ = '\0';
  bool ended_ = false;
};

// What the classic call returns for a value, read into its buffer of
// kMaxProfileValueLength + 1 characters: one pair of matching quotes around the
// value is dropped, but the closing one only goes when the value without the
// opening one fits the buffer with its terminating zero.
std::string ReadableValue(const BoundedTrimmedText& value) {
  const std::string& text = value.text();
  const bool quoted =
      value.length() >= 2 && (text.front() == '"' || text.front() == '\'') && value.last() == text.front();
  if (!quoted) return text.substr(0, kMaxProfileValueLength);
  std::string inner = text.substr(1, kMaxProfileValueLength);
  if (value.length() - 1 <= kMaxProfileValueLength + 1) inner.pop_back();
  return inner;
}

// What one pass over a file found out about one key of one section. Offsets are
// byte offsets into the file.
struct ProfileScan {
  bool keyFound = false;
  bool hasValue = false;          // the key's line has an "=" (else the line is just its name)
  std::string value;              // the key's value as the classic call returns it
  std::uint64_t valueStart = 0;   // the bytes after the key's "=" (or after its name) ...
  std::uint64_t valueEnd = 0;     // ... up to its line break
  bool sectionFound = false;
  std::uint64_t sectionEnd = 0;   // just after the section's last key line, or its header line
  bool sectionEndNeedsBreak = false;  // that line is the file's last and has no line break
  std::uint64_t fileEnd = 0;
  bool fileEndNeedsBreak = false;     // the file's last line has no line break
  std::string lineBreak = "\n";       // the file's first line break
};

// A streaming parser looking for one key of one section. It is fed the file's
// bytes in chunks of any size and holds nothing but the current line's state:
// the name being matched (no longer than the name looked for) and the value.
class ProfileScanner {
 public:
  ProfileScanner(std::string_view section, std::string_view key) : section_(section), key_(key) {}

  void feed(const char* data, std::size_t size) {
    while (atFileStart_ && size > 0) {
      head_.push_back(*data++);
      --size;
      if (!kByteOrderMark.starts_with(head_)) {
        flushHead();
      } else if (head_.size() == kByteOrderMark.size()) {
        atFileStart_ = false;
        pos_ = head_.size();
      }
    }
    scan(data, size);
  }

  // Call once after the last byte of the file.
  void finish() {
    if (atFileStart_) flushHead();
    result_.fileEndNeedsBreak = lineHasBytes_;
    if (lineHasBytes_) endLine('\0');
    result_.fileEnd = pos_;
  }

  const ProfileScan& result() const { return result_; }

 private:
  enum class State { LineStart, SectionName, KeyName, Value, RestOfLine };
  enum class LineKind { Other, Header, KeyLine };

  // Bytes that began like a byte order mark but are none are ordinary text.
  void flushHead() {
    atFileStart_ = false;
    const std::string head = std::move(head_);
    scan(head.data(), head.size());
  }

  void scan(const char* data, std::size_t size) {
    for (std::size_t i = 0; i < size; ++i, ++pos_) {
      if (state_ == State::RestOfLine) {
        std::size_t stop = i;
        while (stop < size && !IsLineBreak(data[stop])) ++stop;
        if (stop > i) {
          lineHasBytes_ = true;
          afterCr_ = false;
          pos_ += stop - i;
          i = stop;
        }
        if (i == size) break;
      }
      const char c = data[i];
      if (c == '\n' && afterCr_) {
        joinCrLf();
      } else if (IsLineBreak(c)) {
        endLine(c);
      } else {
        scanByte(c);
      }
      afterCr_ = c == '\r';
    }
  }

  void scanByte(char c) {
    lineHasBytes_ = true;
    switch (state_) {
      case State::LineStart:
        if (IsBlank(c)) return;
        if (c == ';') {
          state_ = State::RestOfLine;
        } else if (c == '[') {
          state_ = State::SectionName;
          name_.reset(section_.size());
          nameBeforeClose_ = false;
        } else {
          state_ = State::KeyName;
          name_.reset(key_.size());
          name_.push(c);
          nameEnd_ = pos_ + 1;
        }
        return;
      case State::SectionName:
        // The name ends at the line's last "]": remember what the text before each one names.
        if (c == ']') {
          lineKind_ = LineKind::Header;
          nameBeforeClose_ = name_.equalsIgnoringCase(section_);
        }
        return name_.push(c);
      case State::KeyName:
        if (c != '=') {
          if (!IsBlank(c)) nameEnd_ = pos_ + 1;
          return name_.push(c);
        }
        lineKind_ = LineKind::KeyLine;
        if (isTheKey()) {
          state_ = State::Value;
          result_.hasValue = true;
          result_.valueStart = pos_ + 1;
          value_.reset(kMaxProfileValueLength + 1);
        } else {
          state_ = State::RestOfLine;
        }
        return;
      case State::Value:
        return value_.push(c);
      case State::RestOfLine:
        return;
    }
  }

  bool isTheKey() const { return inSection_ && !result_.keyFound && name_.equalsIgnoringCase(key_); }

  // pos_ is the offset of the line break `ending` (CR or LF), or the end of the file (NUL).
  void endLine(char ending) {
    const bool hasBreak = ending != '\0';
    if (hasBreak && !sawLineBreak_) {
      sawLineBreak_ = true;
      firstBreakAt_ = pos_;
      result_.lineBreak = std::string(1, ending);
    }
    if (state_ == State::Value) {
      result_.keyFound = true;
      result_.valueEnd = pos_;
      result_.value = ReadableValue(value_);
    } else if (state_ == State::KeyName && isTheKey()) {
      // A line holding just the key's name: the key, without a value.
      result_.keyFound = true;
      result_.valueStart = result_.valueEnd = nameEnd_;
    } else if (lineKind_ == LineKind::Header) {
      inSection_ = !result_.sectionFound && nameBeforeClose_;
      result_.sectionFound = result_.sectionFound || inSection_;
    }
    if (inSection_ && lineKind_ != LineKind::Other) {
      result_.sectionEnd = hasBreak ? pos_ + 1 : pos_;
      result_.sectionEndNeedsBreak = !hasBreak;
    }
    state_ = State::LineStart;
    lineKind_ = LineKind::Other;
    lineHasBytes_ = false;
  }

  // pos_ is the offset of an LF right after a CR: the two are one line break.
  void joinCrLf() {
    if (firstBreakAt_ + 1 == pos_) result_.lineBreak = "\r\n";
    if (result_.sectionEnd == pos_) ++result_.sectionEnd;
  }

  const std::string_view section_;
  const std::string_view key_;
  ProfileScan result_;
  std::uint64_t pos_ = 0;  // offset of the byte being scanned
  bool atFileStart_ = true;
  std::string head_;       // the first bytes, while they may be a byte order mark
  State state_ = State::LineStart;
  LineKind lineKind_ = LineKind::Other;
  bool lineHasBytes_ = false;
  bool afterCr_ = false;
  bool inSection_ = false;
  bool sawLineBreak_ = false;
  std::uint64_t firstBreakAt_ = 0;
  bool nameBeforeClose_ = false;  // the text before the header's last "]" so far is the section's name
  std::uint64_t nameEnd_ = 0;     // just after the last non-blank of the key name
  BoundedTrimmedText name_;
  BoundedTrimmedText value_;
};

std::unique_ptr<char[]> ChunkBuffer() { return std::make_unique_for_overwrite<char[]>(kChunkSize); }

// Feeds the file to the scanner until its end, or until the key's line was read.
bool ScanFile(int fd, ProfileScanner& scanner) {
  const auto buffer = ChunkBuffer();
  for (;;) {
    const ssize_t n = ::read(fd, buffer.get(), kChunkSize);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) break;
    scanner.feed(buffer.get(), static_cast<std::size_t>(n));
    if (scanner.result().keyFound) return true;
  }
  scanner.finish();
  return true;
}

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

// Copies up to `count` bytes, fewer when the input ends first.
bool CopyBytes(int in, int out, std::uint64_t count) {
  const auto buffer = ChunkBuffer();
  while (count > 0) {
    const std::size_t want = count < kChunkSize ? static_cast<std::size_t>(count) : kChunkSize;
    const ssize_t n = ::read(in, buffer.get(), want);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) return true;
    if (!WriteAll(out, {buffer.get(), static_cast<std::size_t>(n)})) return false;
    count -= static_cast<std::uint64_t>(n);
  }
  return true;
}

// The new file is the old one with the bytes [cut, resume) replaced by `text`.
struct Splice {
  std::uint64_t cut;
  std::uint64_t resume;
  std::string text;
};

Splice PlanEdit(const ProfileScan& scan, std::string_view section, std::string_view key, std::string_view value) {
  if (scan.keyFound) return {scan.valueStart, scan.valueEnd, (scan.hasValue ? "" : "=") + std::string(value)};
  const std::string& lineBreak = scan.lineBreak;
  const std::string keyLine = std::string(key) + "=" + std::string(value) + lineBreak;
  if (scan.sectionFound) {
    return {scan.sectionEnd, scan.sectionEnd, (scan.sectionEndNeedsBreak ? lineBreak : "") + keyLine};
  }
  std::string added = scan.fileEndNeedsBreak ? lineBreak : "";
  added += "[" + std::string(section) + "]" + lineBreak + keyLine;
  return {scan.fileEnd, scan.fileEnd, std::move(added)};
}

// `in` is the old file, or -1 when there is none.
bool WriteEditedCopy(int in, int out, const Splice& splice) {
  if (in < 0) return WriteAll(out, splice.text);
  return ::lseek(in, 0, SEEK_SET) == 0 && CopyBytes(in, out, splice.cut) && WriteAll(out, splice.text) &&
         ::lseek(in, static_cast<off_t>(splice.resume), SEEK_SET) >= 0 && CopyBytes(in, out, kToEnd);
}

// Follows symbolic links to the path that finally names the file (which may not
// exist yet). Empty when a link cannot be read or the chain loops.
std::optional<std::filesystem::path> FinalTarget(const std::string& path) {
  std::filesystem::path current(path);
  for (int hop = 0; hop < kMaxLinkHops; ++hop) {
    struct stat status;
    if (::lstat(current.c_str(), &status) != 0) {
      if (errno == ENOENT) return current;
      return std::nullopt;
    }
    if (!S_ISLNK(status.st_mode)) return current;
    std::error_code error;
    const std::filesystem::path next = std::filesystem::read_symlink(current, error);
    if (error) return std::nullopt;
    current = next.is_absolute() ? next : current.parent_path() / next;
  }
  return std::nullopt;
}

std::filesystem::path DirectoryOf(const std::filesystem::path& file) {
  return file.has_parent_path() ? file.parent_path() : std::filesystem::path(".");
}

struct TemporaryFile {
  std::filesystem::path path;
  UniqueFd fd;
};

// A fresh file beside `target`, created with the default permissions (0666 less
// the umask) so that a new settings file gets what any new file would.
// "." + file name + "." + process id + "." + counter + ".tmp"
std::string TemporaryStem(const std::filesystem::path& target) { return "." + target.filename().string() + "."; }

// Temporary files left by writers that were killed before their rename. Only
// those of processes that no longer exist are removed.
void RemoveStaleTemporaries(const std::filesystem::path& target) {
  const std::string stem = TemporaryStem(target);
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(DirectoryOf(target), error)) {
    const std::string name = entry.path().filename().string();
    if (!name.starts_with(stem) || !name.ends_with(".tmp")) continue;
    const std::string rest = name.substr(stem.size());
    const auto dot = rest.find('.');
    if (dot == std::string::npos || dot == 0 || rest.find_first_not_of("0123456789") != dot) continue;
    const long pid = std::strtol(rest.substr(0, dot).c_str(), nullptr, 10);
    if (pid <= 0 || pid == ::getpid()) continue;
    if (::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH) ::unlink(entry.path().c_str());
  }
}

std::optional<TemporaryFile> CreateTemporaryBeside(const std::filesystem::path& target) {
  static std::atomic<unsigned> counter{0};
  const std::filesystem::path directory = DirectoryOf(target);
  RemoveStaleTemporaries(target);
  const std::string stem = TemporaryStem(target) + std::to_string(::getpid()) + ".";
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::filesystem::path candidate = directory / (stem + std::to_string(counter++) + ".tmp");
    const int created = ::open(candidate.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (created >= 0) return TemporaryFile{std::move(candidate), UniqueFd(created)};
    if (errno != EEXIST) return std::nullopt;
  }
  return std::nullopt;
}

// The old file's owner (where allowed) and permission bits.
bool KeepAttributes(int fd, const struct stat* original) {
  if (!original) return true;
  if (original->st_uid != ::geteuid() || original->st_gid != ::getegid()) {
    [[maybe_unused]] const int ignored = ::fchown(fd, original->st_uid, original->st_gid);
  }
  return ::fchmod(fd, original->st_mode & 07777) == 0;
}

// A rename is durable only once its directory is flushed; failing that is no
// reason to report the write as failed, the new content is already in place.
void SyncDirectory(const std::filesystem::path& directory) {
  const UniqueFd fd(::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (fd.valid()) ::fsync(fd.get());
}

// Writes the new content to a temporary file, flushes it and renames it over
// `target`: readers see the old file or the new one, never a mixture.
template <class Writer>
bool ReplaceAtomically(const std::filesystem::path& target, const struct stat* original, Writer&& writeContent) {
  std::optional<TemporaryFile> temporary = CreateTemporaryBeside(target);
  if (!temporary) return false;
  UniqueFd& out = temporary->fd;
  bool ok = writeContent(out.get()) && KeepAttributes(out.get(), original) && ::fsync(out.get()) == 0;
  ok = out.close() && ok;
  ok = ok && ::rename(temporary->path.c_str(), target.c_str()) == 0;
  if (!ok) {
    ::unlink(temporary->path.c_str());
    return false;
  }
  SyncDirectory(DirectoryOf(target));
  return true;
}

// Whether the user protected the file against writing: they may not write it, or,
// since root may write anything, it has no write permission bit at all (as rm and
// editors treat it).
bool IsWriteProtected(const std::filesystem::path& file, const struct stat& status) {
  return (status.st_mode & 0222) == 0 || ::faccessat(AT_FDCWD, file.c_str(), W_OK, AT_EACCESS) != 0;
}

// Rewrites `target` in place, so that its other names see the new content: the
// content is built in a temporary beside it, which is then renamed to a name that
// later writes leave alone, copied over the file from the first byte that changes,
// and removed once the file is cut to its new length.
template <class Writer>
bool RewriteInPlace(const std::filesystem::path& target, const struct stat& original, std::uint64_t unchanged,
                    Writer&& writeContent) {
  const UniqueFd file(::open(target.c_str(), O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
  struct stat now;
  if (!file.valid() || ::fstat(file.get(), &now) != 0 || now.st_dev != original.st_dev ||
      now.st_ino != original.st_ino) {
    return false;
  }
  std::optional<TemporaryFile> temporary = CreateTemporaryBeside(target);
  if (!temporary) return false;
  const int content = temporary->fd.get();
  bool ok = writeContent(content) && ::fsync(content) == 0;
  const off_t size = ok ? ::lseek(content, 0, SEEK_END) : -1;
  // Where the file system can, the room to grow is taken before the file is touched.
  ok = size >= 0 && (size <= original.st_size ||
                     ::fallocate(file.get(), FALLOC_FL_KEEP_SIZE, original.st_size, size - original.st_size) == 0 ||
                     errno == EOPNOTSUPP);
  std::filesystem::path kept = temporary->path;
  kept.replace_extension(".new");
  if (!ok || ::rename(temporary->path.c_str(), kept.c_str()) != 0) {
    ::unlink(temporary->path.c_str());
    return false;
  }
  SyncDirectory(DirectoryOf(target));
  const off_t from = static_cast<off_t>(unchanged);
  ok = ::lseek(content, from, SEEK_SET) == from && ::lseek(file.get(), from, SEEK_SET) == from &&
       CopyBytes(content, file.get(), kToEnd) && ::ftruncate(file.get(), size) == 0 && ::fsync(file.get()) == 0;
  if (ok) ::unlink(kept.c_str());
  return ok;
}

}  // namespace

std::string ReadProfileString(std::string_view section, std::string_view key, std::string_view defaultValue,
                              const std::string& path) {
  section = TrimBlanks(section);
  key = TrimBlanks(key);
  if (!IsRepresentableSection(section) || !IsRepresentableKey(key)) return std::string(defaultValue);
  struct stat status;
  const UniqueFd fd = OpenRegularFile(path, 0, status);
  if (!fd.valid()) return std::string(defaultValue);
  ProfileScanner scanner(section, key);
  if (!ScanFile(fd.get(), scanner) || !scanner.result().hasValue) return std::string(defaultValue);
  return scanner.result().value;
}

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
// No temporary file is left behind when it returns false. A write-protected file
// is one the user may not write or, even for root, one without any write
// permission bit, as rm and editors treat it; a file that exists but cannot be
// read is not written either, as rewriting it would lose its other lines.
bool WriteProfileString(std::string_view section, std::string_view key, std::string_view value,
                        const std::string& path) {
  section = TrimBlanks(section);
  key = TrimBlanks(key);
  if (!IsRepresentableSection(section) || !IsRepresentableKey(key) || HasAnyOf(value, kLineBreakOrNul)) {
    return false;
  }
  const std::optional<std::filesystem::path> target = FinalTarget(path);
  if (!target) return false;

  struct stat status;
  const UniqueFd in = OpenRegularFile(target->string(), O_NOFOLLOW, status);
  // Only a file that is not there may be created; one that is there but cannot be
  // read must not be replaced by a file holding just this key.
  if (!in.valid() && errno != ENOENT) return false;
  if (in.valid() && IsWriteProtected(*target, status)) return false;

  ProfileScanner scanner(section, key);
  if (in.valid() && !ScanFile(in.get(), scanner)) return false;
  if (!in.valid()) scanner.finish();
  const Splice splice = PlanEdit(scanner.result(), section, key, value);
  const auto writeContent = [&](int out) { return WriteEditedCopy(in.get(), out, splice); };
  if (in.valid() && status.st_nlink > 1) return RewriteInPlace(*target, status, splice.cut, writeContent);
  return ReplaceAtomically(*target, in.valid() ? &status : nullptr, writeContent);
}

}  // namespace tovira
