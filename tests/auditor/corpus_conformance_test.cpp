// Real-corpus conformance: every genuine link of ../shared/corpus is audited
// with the real POSIX file services, and its TARGET, START IN and ICON SOURCE
// lines must show what two independent decoders read (expected.jsonl). Every
// other file must be audited without crashing (a strict failure is fine).

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <memory>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <variant>
#include <vector>

#include "auditor/module1.h"
#include "auditor/report_text.h"
#include "platform/utf8.h"
#include "tests/auditor/audit_fixture.h"

#ifdef _WIN32
#include "platform/win32/win32_file_services.h"
using RealFileServices = varnlink::platform::Win32FileServices;
#else
#include "platform/posix/posix_file_services.h"
using RealFileServices = varnlink::platform::PosixFileServices;
#endif

namespace varnlink::test_support {
namespace {

// --- a small JSON reader, enough for expected.jsonl ---------------------------

struct Json;
using JsonObject = std::map<std::string, Json>;

struct Json {
  std::variant<std::nullptr_t, bool, double, std::string, std::shared_ptr<JsonObject>> value;

  [[nodiscard]] bool IsNull() const { return std::holds_alternative<std::nullptr_t>(value); }
  [[nodiscard]] const Json& operator[](const std::string& key) const {
    static const Json kNull{nullptr};
    const auto* object = std::get_if<std::shared_ptr<JsonObject>>(&value);
    if (object == nullptr) return kNull;
    const auto it = (*object)->find(key);
    return it == (*object)->end() ? kNull : it->second;
  }
  // The string, or "" for null.
  [[nodiscard]] std::string Str() const {
    if (IsNull()) return "";
    return std::get<std::string>(value);
  }
  [[nodiscard]] double Num() const { return std::get<double>(value); }
  [[nodiscard]] bool Bool() const { return std::get<bool>(value); }
};

// Objects, strings, numbers, true, false and null: what expected.jsonl holds
// (no arrays).
class JsonReader {
 public:
  explicit JsonReader(std::string_view text) : text_(text) {}

  Json ReadDocument() {
    Json value = ReadValue();
    SkipBlanks();
    if (pos_ != text_.size()) Fail("trailing characters");
    return value;
  }

 private:
  [[noreturn]] void Fail(const std::string& what) const {
    throw std::runtime_error("JSON: " + what + " at offset " + std::to_string(pos_));
  }
  void SkipBlanks() {
    while (pos_ < text_.size() && (text_[pos_] == ' ' || text_[pos_] == '\t' ||
                                   text_[pos_] == '\n' || text_[pos_] == '\r')) {
      ++pos_;
    }
  }
  char Peek() {
    SkipBlanks();
    if (pos_ >= text_.size()) Fail("unexpected end");
    return text_[pos_];
  }
  void Expect(char c) {
    if (Peek() != c) Fail(std::string("expected '") + c + "'");
    ++pos_;
  }
  bool Literal(std::string_view word) {
    if (text_.substr(pos_, word.size()) != word) return false;
    pos_ += word.size();
    return true;
  }

  Json ReadValue() {
    const char c = Peek();
    if (c == '{') return ReadObject();
    if (c == '"') return Json{ReadString()};
    if (Literal("null")) return Json{nullptr};
    if (Literal("true")) return Json{true};
    if (Literal("false")) return Json{false};
    return ReadNumber();
  }

  Json ReadObject() {
    auto object = std::make_shared<JsonObject>();
    Expect('{');
    if (Peek() == '}') {
      ++pos_;
      return Json{object};
    }
    while (true) {
      if (Peek() != '"') Fail("expected a key");
      std::string key = ReadString();
      Expect(':');
      (*object)[key] = ReadValue();
      if (Peek() == ',') {
        ++pos_;
        continue;
      }
      Expect('}');
      return Json{object};
    }
  }

  Json ReadNumber() {
    const std::size_t start = pos_;
    while (pos_ < text_.size() &&
           std::string_view("+-0123456789.eE").find(text_[pos_]) != std::string_view::npos) {
      ++pos_;
    }
    if (start == pos_) Fail("unexpected character");
    return Json{std::stod(std::string(text_.substr(start, pos_ - start)))};
  }

  std::uint32_t ReadHex4() {
    if (pos_ + 4 > text_.size()) Fail("short \\u escape");
    std::uint32_t v = 0;
    for (int i = 0; i < 4; ++i) {
      const char h = text_[pos_++];
      v <<= 4;
      if (h >= '0' && h <= '9')
        v |= static_cast<std::uint32_t>(h - '0');
      else if (h >= 'a' && h <= 'f')
        v |= static_cast<std::uint32_t>(h - 'a' + 10);
      else if (h >= 'A' && h <= 'F')
        v |= static_cast<std::uint32_t>(h - 'A' + 10);
      else
        Fail("bad hex digit");
    }
    return v;
  }

  // A string as UTF-8; a lone surrogate escape becomes U+FFFD.
  std::string ReadString() {
    Expect('"');
    std::string out;
    while (true) {
      if (pos_ >= text_.size()) Fail("unterminated string");
      const char c = text_[pos_++];
      if (c == '"') return out;
      if (c != '\\') {
        out += c;
        continue;
      }
      if (pos_ >= text_.size()) Fail("unterminated escape");
      const char e = text_[pos_++];
      switch (e) {
        case '"':
          out += '"';
          break;
        case '\\':
          out += '\\';
          break;
        case '/':
          out += '/';
          break;
        case 'b':
          out += '\b';
          break;
        case 'f':
          out += '\f';
          break;
        case 'n':
          out += '\n';
          break;
        case 'r':
          out += '\r';
          break;
        case 't':
          out += '\t';
          break;
        case 'u': {
          std::uint32_t cp = ReadHex4();
          if (cp >= 0xD800 && cp <= 0xDBFF && text_.substr(pos_, 2) == "\\u") {
            const std::size_t save = pos_;
            pos_ += 2;
            const std::uint32_t low = ReadHex4();
            if (low >= 0xDC00 && low <= 0xDFFF) {
              cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
            } else {
              pos_ = save;  // the next escape stands on its own
            }
          }
          if (cp >= 0xD800 && cp <= 0xDFFF) cp = 0xFFFD;
          platform::AppendUtf8(out, static_cast<char32_t>(cp));
          break;
        }
        default:
          Fail("bad escape");
      }
    }
  }

  std::string_view text_;
  std::size_t pos_ = 0;
};

TEST(JsonReader, ReadsWhatTheCorpusNeeds) {
  const Json v =
      JsonReader(R"({"a": "x\\y\"\u00e9\u20ac\ud83d\ude00\ud800z", "n": null, "k": -1.5e1,)"
                 R"( "t": true, "o": {"s": "in"}, "e": {}})")
          .ReadDocument();
  EXPECT_EQ(v["a"].Str(), "x\\y\"é€😀\xEF\xBF\xBDz");
  EXPECT_TRUE(v["n"].IsNull());
  EXPECT_EQ(v["k"].Num(), -15.0);
  EXPECT_TRUE(v["t"].Bool());
  EXPECT_EQ(v["o"]["s"].Str(), "in");
  EXPECT_TRUE(v["missing"].IsNull());
  EXPECT_THROW(JsonReader(R"({"a": })").ReadDocument(), std::runtime_error);
}

// --- expected lines --------------------------------------------------------

// Text as the auditor shows it: control characters (below U+0020, U+007F,
// U+0080-U+009F), line and paragraph separators (U+2028, U+2029) and
// bidirectional controls (U+202A-U+202E, U+2066-U+2069) as "?". `utf8` is
// valid UTF-8, as JsonReader makes it.
using auditor::ShownText;

std::filesystem::path CorpusDir() {
  if (const char* dir = std::getenv("VARNLINK_CORPUS_DIR")) return dir;
  return VARNLINK_CORPUS_DIR;
}

TEST(CorpusConformance, GenuineLinksMatchThePeerDecoders) {
  const std::filesystem::path dir = CorpusDir();
  const std::filesystem::path expected = dir / "expected.jsonl";
  if (!std::filesystem::exists(expected)) {
    GTEST_SKIP() << "real shortcut corpus not found at " << dir.string()
                 << " (expected.jsonl absent); set VARNLINK_CORPUS_DIR to run this test";
  }
  std::ifstream in(expected, std::ios::binary);
  ASSERT_TRUE(in) << "cannot open " << expected;

  RealFileServices files;
  RecordingMessageDialog messages;
  FakeAuditChoices window;  // all targets, no duplicate checks
  auditor::Module1 module(files, messages);

  int genuine = 0, genuine_matching = 0, others = 0, others_failed = 0, reported_mismatches = 0;
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty()) continue;
    const Json row = JsonReader(line).ReadDocument();
    const std::string file = row["file"].Str();
    // UTF-8 both ways: on Windows a narrow path string is the ANSI code page.
    const auto u8 = (dir / std::filesystem::path(std::u8string(file.begin(), file.end()))).u8string();
    const std::string path(u8.begin(), u8.end());
    window.report.Clear();
    if (!row["genuine"].Bool()) {
      ++others;
      try {
        module.AuditShortcut(path, window);
      } catch (const std::exception& e) {
        ++others_failed;
        EXPECT_NE(std::string(e.what()).find(path), std::string::npos) << e.what();
      }
      continue;
    }
    ++genuine;
    try {
      module.AuditShortcut(path, window);
    } catch (const std::exception& e) {
      ADD_FAILURE() << file << ": audit failed: " << e.what();
      continue;
    }
    const auto flags = static_cast<std::uint32_t>(row["link_flags"].Num());
    const std::string target = ShownText(row["expected_target"].Str());
    const std::string want_target =
        "TARGET:   " + target + ((flags & 0x20) ? " " + ShownText(row["arguments"].Str()) : "");
    const std::string want_start_in =
        (flags & 0x10) ? "START IN:   " + ShownText(row["working_directory"].Str()) : "START IN:    ";
    const std::string want_icon =
        (flags & 0x40) ? "ICON SOURCE:    " + ShownText(row["string_data"]["icon_location"].Str())
                       : "ICON SOURCE:   " + target;
    const std::vector<std::string> lines = LinesOf(window.report.Text());
    const bool ok = lines.size() == 9 && lines[2] == want_target && lines[3] == want_start_in &&
                    lines[4] == want_icon;
    if (ok) {
      ++genuine_matching;
    } else if (++reported_mismatches <= 20) {
      ADD_FAILURE() << file << "\n  want: " << want_target << "\n        " << want_start_in
                    << "\n        " << want_icon << "\n  got:\n"
                    << window.report.Text();
    }
  }
  std::cout << "[ corpus   ] " << genuine_matching << " of " << genuine << " genuine links match; "
            << others << " other file(s) audited, " << others_failed << " with a strict failure\n";
  EXPECT_EQ(genuine_matching, genuine);
  EXPECT_GT(genuine, 0) << "expected.jsonl lists no genuine link";
}

}  // namespace
}  // namespace varnlink::test_support
