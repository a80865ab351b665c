// The INI reading and writing held against the platform's own profile calls, as
// Wine implements them (profile_calls.exe). Every key of every file of a corpus,
// hand-made quirks and generated files, is read by both. Every write is done by
// ours on one copy and by the platform on another, and then every key is read
// back from both copies by both; ours must also keep every other byte.

#include "fuzz/ini_model.h"
#include "settings/ini_profile.h"
#include "support/scratch_directory.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace tovira {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;
using testing::ReadBytes;
using testing::ScratchDirectory;
using testing::WriteBytes;

struct CorpusFile {
  std::string name;
  std::string bytes;
  const char* differs = nullptr;  // why ours deliberately reads this file otherwise
};

std::vector<CorpusFile> HandMade() {
  const auto xs = [](std::size_t n) { return std::string(n, 'x'); };
  const std::string shipped = "[ToviraWatch]\nShowbutton=1\nShowDigital=1\nShowAnalog=1\nLapType=1\nAnalogScale=1\n"
                              "AnalogColor=C80000\nWindowForceFront=0\nBehaviorMode=0\nPlaySound=0\n";
  return {
      {"shipped", shipped},
      {"CRLF", "[ToviraWatch]\r\nShowbutton=1\r\nLapType=2\r\n"},
      {"CR only", "[ToviraWatch]\rShowbutton=1\rLapType=2\r"},
      {"CR, LF and CRLF mixed", "[ToviraWatch]\rShowbutton=1\r\nShowDigital=0\n\rLapType=2\r\r\nPlaySound=1"},
      {"quotes", "[S]\nk=\"1\"\ns='a b'\nlone=\"\nmixed=\"a'\ninner=\"a\"b\"\nempty=\"\"\nblank= \" x \" \n"
                 "nested='\"x\"'\nopen=\"x\nclose=x\"\n"},
      {"values at the 254 cut", "[S]\nk=" + xs(253) + "\na=" + xs(254) + "\nb=" + xs(255) + "\nc=" + xs(300) +
                                    "\nd=\"" + xs(253) + "\"\ne=\"" + xs(254) + "\"\nf=\"" + xs(255) + "\"\ng='" +
                                    xs(400) + "'\nh=" + xs(253) + "   y\ni=\"" + xs(254) + "\n"},
      {"]] in headers",
       "[ToviraWatch]]\nShowbutton=1\n[ToviraWatch] x ]\nk=2\n[S]]]\nk=4\n[ToviraWatch]\nShowbutton=3\n"},
      {"blanks", " \t[ S \t] junk\n \t k \t= \t2 1 \t\n\vv\f=\x1a" "3\x1a\n  a b  =  c d  \n"},
      {"comments", "; head\n[S]\n ;k=1\n;j=0\nk=2\n#x=3\n"},
      {"duplicates", "[S]\nk=1\nK=2\n[T]\n[s]\nk=3\nj=4\n[S]\n[S]\nq=5\n"},
      {"byte order mark", "\xEF\xBB\xBF[S]\nk=1\n"},
      {"half a byte order mark", "\xEF\xBB[S]\nk=1\n"},
      {"case", "[toviraWATCH]\nshowBUTTON=1\nLAPTYPE=2\n"},
      {"empty values", "[S]\nk=\nj= \t\n"},
      {"NUL bytes", "[S\0x]\nk\0y=1\na=b\0c\nq=\"a\0\"\n\0\0=x\nj=2\nt=a \0 \n"s},
      {"sections without keys", "[A]\n[B]\n\n[C]"},
      {"keys before any section", "k=1\nj=2\n[S]\nj=3\n"},
      {"no final line break", "[S]\nk=7"},
      {"lines holding just a name", "[S]\n k \nk=5\nj=6\nj\n[ToviraWatch]\nShowbutton\n"},
      {"header without ]", "[T]\nk=0\n[S\nk=1\n"},
      {"empty section name", "[]\nk=1\n[ ]\nj=2\n"},
      {"empty file", ""},
      {"only blanks and breaks", " \r\n\t\n\r"},
      {"lone CR ending the file", "[A]\nk=v\r"},
      {"bytes above 127", "[S]\nk=\xE9\x80\xFF\n"},
      {"UTF-8 behind a byte order mark", "\xEF\xBB\xBF[S]\nk=caf\xC3\xA9\n",
       "ours passes bytes through; the platform decodes UTF-8 and gives the text in its ANSI code page"},
      {"case of letters above 127", "[CAF\xC9]\nk=1\n[caf\xE9]\nk=2\n"},
      {"UTF-16", "\xFF\xFE[\0S\0]\0\r\0\n\0k\0=\0" "1\0\r\0\n\0"s,
       "ours reads bytes, the platform decodes UTF-16; the program writes single-byte text only"},
  };
}

// Small files from a few fragments that meet the quirks above in any order.
std::vector<CorpusFile> Generated(unsigned seed, int count) {
  const std::vector<std::string> headers{"[S]", "[ s ]", "[S]]", "[S", "[T]", "[ToviraWatch]", "[S] ; x ]", "[]"};
  const std::vector<std::string> names{"k", "K", " k ", "Showbutton", "a b", "j", "\vk"};
  const std::vector<std::string> values{"1",  "\"1\"", "'a'", "\"",   " x ", "", "\"" + std::string(254, 'y') + "\"",
                                        "a\0b"s, "\f1\x1a", "\xE9", "'\"'", std::string(260, 'z')};
  const std::vector<std::string> others{";k=1", "k", "", "  ", "=v", "\0"s, "garbage"};
  const std::vector<std::string> breaks{"\n", "\r\n", "\r", "\r\r\n"};
  std::mt19937 random(seed);
  const auto pick = [&](const std::vector<std::string>& from) { return from[random() % from.size()]; };
  std::vector<CorpusFile> files;
  for (int i = 0; i < count; ++i) {
    std::string bytes;
    for (unsigned line = random() % 12; line > 0; --line) {
      const unsigned kind = random() % 6;
      bytes += kind == 0 ? pick(headers) : kind == 5 ? pick(others) : pick(names) + "=" + pick(values);
      if (line > 1 || random() % 2) bytes += pick(breaks);
    }
    files.push_back({"generated " + std::to_string(i), bytes});
  }
  return files;
}

// Every (section, key) the file names that both can be asked for, and a few more.
std::set<std::pair<std::string, std::string>> NamesIn(std::string_view file) {
  std::set<std::pair<std::string, std::string>> names{{"ToviraWatch", "Showbutton"}, {"ToviraWatch", "PlaySound"},
                                                      {"S", "k"}, {"S", "absent"}};
  std::string_view section;
  for (const fuzz::ModelLine& line : fuzz::ParseModel(file)) {
    if (line.kind == fuzz::ModelLine::Kind::Header) section = line.name;
    if (line.kind != fuzz::ModelLine::Kind::Header && fuzz::CanNameSection(section) && fuzz::CanNameKey(line.name)) {
      names.emplace(section, line.name);
    }
  }
  return names;
}

// Commands for one run of profile_calls.exe; the answers come back in the order asked.
class PlatformCalls {
 public:
  std::size_t read(const fs::path& file, std::string_view section, std::string_view key) {
    return ask("R", {WindowsPath(file), section, key});
  }
  std::size_t write(const fs::path& file, std::string_view section, std::string_view key, std::string_view value) {
    return ask("W", {WindowsPath(file), section, key, value});
  }

  std::vector<std::string> run(const fs::path& work) const {
    WriteBytes(work / "commands", commands_);
    const std::string command = "env -u DISPLAY LC_ALL=C WINEDEBUG=-all WINEPREFIX='" TOVIRA_WINE_PREFIX
                                "' WINEDLLOVERRIDES='mscoree,mshtml=;winemenubuilder.exe=d' timeout 300 '" TOVIRA_WINE
                                "' '" TOVIRA_PROFILE_CALLS "' <'" +
                                (work / "commands").string() + "' >'" + (work / "answers").string() + "' 2>'" +
                                (work / "errors").string() + "'";
    if (std::system(command.c_str()) != 0) throw std::runtime_error("wine failed: " + ReadBytes(work / "errors"));
    std::vector<std::string> answers;
    std::string text = ReadBytes(work / "answers");
    for (std::size_t at = 0; at < text.size();) {
      const std::size_t end = text.find('\n', at);
      std::string bytes;
      for (std::size_t i = at; i + 1 < end && text[i] != '\r'; i += 2) {
        bytes += static_cast<char>(std::stoi(text.substr(i, 2), nullptr, 16));
      }
      answers.push_back(bytes);
      at = end + 1;
    }
    if (answers.size() != count_) throw std::runtime_error("wine answered " + std::to_string(answers.size()));
    return answers;
  }

 private:
  static std::string WindowsPath(const fs::path& file) {
    std::string path = "Z:" + file.string();
    std::ranges::replace(path, '/', '\\');
    return path;
  }

  std::size_t ask(const char* verb, std::initializer_list<std::string_view> fields) {
    commands_ += verb;
    for (const std::string_view field : fields) {
      commands_ += ' ';
      for (const char c : field) {
        char hex[3];
        std::snprintf(hex, sizeof hex, "%02x", static_cast<unsigned char>(c));
        commands_ += hex;
      }
    }
    commands_ += '\n';
    return count_++;
  }

  std::string commands_;
  std::size_t count_ = 0;
};

constexpr char kDefault[] = "ERROR";

// One key read by both, ours after the platform's run (which writes some of the files).
struct Comparison {
  const CorpusFile* file;
  std::string what;  // empty for the file as it came
  fs::path path;
  std::string section, key;
  std::size_t answer;
};

TEST(IniDifferential, ReadsAndWritesAgreeWithThePlatformsProfileCalls) {
  const auto started = std::chrono::steady_clock::now();
  ScratchDirectory dir;
  std::vector<CorpusFile> corpus = HandMade();
  for (CorpusFile& file : Generated(11, 200)) corpus.push_back(std::move(file));
  const std::vector<std::string> values{"1", "\"2\"", "  three  ", "'", std::string(300, 'v'), "", "a\"b'",
                                        "\"" + std::string(254, 'q') + "\""};

  PlatformCalls platform;
  std::vector<Comparison> reads;
  std::size_t writes = 0;
  std::vector<std::size_t> platformWrites;
  const auto readAll = [&](const CorpusFile& file, const fs::path& path, const std::string& what, const auto& names) {
    for (const auto& [section, key] : names) {
      reads.push_back({&file, what, path, section, key, platform.read(path, section, key)});
    }
  };
  for (std::size_t f = 0; f < corpus.size(); ++f) {
    const CorpusFile& file = corpus[f];
    const fs::path original = dir.path() / ("f" + std::to_string(f) + ".ini");
    WriteBytes(original, file.bytes);
    const auto names = NamesIn(file.bytes);
    readAll(file, original, "", names);

    // An existing key, a new key in its section, a settings key.
    const auto& [someSection, someKey] = *std::next(names.begin(), static_cast<long>(f % names.size()));
    const std::pair<std::string, std::string> keys[] = {
        {someSection, someKey}, {someSection, "Added"}, {"ToviraWatch", "PlaySound"}};
    for (const auto& [section, key] : keys) {
      const std::string& value = values[writes++ % values.size()];
      const std::string what = "after writing [" + section + "] " + key + "=" + value + " ";
      const fs::path ours = original.string() + "." + std::to_string(writes) + ".ours";
      const fs::path theirs = original.string() + "." + std::to_string(writes) + ".platform";
      WriteBytes(ours, file.bytes);
      WriteBytes(theirs, file.bytes);
      EXPECT_TRUE(WriteProfileString(section, key, value, ours.string())) << file.name << ": " << what;
      EXPECT_EQ(fuzz::ChangedBytes(file.bytes, ReadBytes(ours)).find_first_of("\r\n"), std::string_view::npos)
          << file.name << ": " << what << "changed more than one line";
      platformWrites.push_back(platform.write(theirs, section, key, value));
      auto namesAfter = names;
      namesAfter.emplace(section, key);
      readAll(file, ours, what + "by ours", namesAfter);
      readAll(file, theirs, what + "by the platform", namesAfter);
    }
  }

  const std::vector<std::string> answers = platform.run(dir.path());
  for (const std::size_t w : platformWrites) EXPECT_EQ(answers[w], "1") << "a write the platform refused";
  std::size_t compared[2] = {0, 0};  // of the files as they came, after a write
  std::size_t agreed[2] = {0, 0};
  std::size_t listed = 0;
  std::set<const CorpusFile*> differing;
  for (const Comparison& c : reads) {
    const std::string ours = ReadProfileString(c.section, c.key, kDefault, c.path.string());
    const std::string& theirs = answers[c.answer];
    const bool afterWrite = !c.what.empty();
    ++compared[afterWrite];
    if (ours == theirs) {
      ++agreed[afterWrite];
      continue;
    }
    differing.insert(c.file);
    if (c.file->differs) {
      ++listed;
      continue;
    }
    ADD_FAILURE() << c.file->name << ": " << c.what << "[" << c.section << "] " << c.key << ": ours "
                  << ::testing::PrintToString(ours) << ", the platform " << ::testing::PrintToString(theirs);
  }
  for (const CorpusFile& file : corpus) {
    if (file.differs) {
      EXPECT_TRUE(differing.contains(&file)) << file.name << " is listed as differing but agrees";
    }
  }
  const auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  std::cout << corpus.size() << " files: " << compared[0] << " reads, " << agreed[0] << " agree; " << writes
            << " writes by each, " << compared[1] << " reads after them, " << agreed[1] << " agree; " << listed
            << " listed differences; " << seconds << " s\n";
}

}  // namespace
}  // namespace tovira
