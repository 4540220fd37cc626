#include "checks/suspicious_arguments.h"

#include <array>
#include <string>
#include <vector>

#include "text/report_text.h"

namespace varnlink::checks {
namespace {

// Pieces that are suspicious wherever they stand (lower case).
constexpr std::array<std::string_view, 11> kAnywhere = {
    "http://",   "https://", "ftp://",      "javascript:", "vbscript:",        "%temp%",
    "%appdata%", "%public%", "\\appdata\\", "\\temp\\",    "\\users\\public\\"};

// Words that are suspicious standing alone.
constexpr std::array<std::string_view, 12> kWords = {
    "frombase64string",  "iex",      "invoke-expression",  "downloadstring", "downloadfile",
    "invoke-webrequest", "iwr",      "start-bitstransfer", "curl",           "wget",
    "certutil",          "bitsadmin"};

constexpr std::array<std::string_view, 7> kScriptExtensions = {"hta", "js",  "jse", "vbs",
                                                               "vbe", "ps1", "wsf"};

constexpr std::size_t kEncodedCommandRun = 16;
constexpr std::size_t kBase64Run = 60;

bool IsBlank(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
bool IsLetter(char c) { return c >= 'a' && c <= 'z'; }
bool IsWordChar(char c) { return IsLetter(c) || (c >= '0' && c <= '9') || c == '_'; }
bool IsBase64(char c) { return IsWordChar(c) ? c != '_' : (c == '+' || c == '/' || c == '='); }
// Where a token may start: after a blank, a quote or a separator.
bool StartsToken(char before) {
  return IsBlank(before) || std::string_view("\"'=(,").find(before) != std::string_view::npos;
}

// `name` is one of the starts of `word` PowerShell accepts for its switch.
bool SwitchStart(std::string_view name, std::string_view word, std::size_t shortest) {
  return name.size() >= shortest && word.starts_with(name);
}

// The arguments in lower case with res://... tokens blanked out, and for
// each position where the run of blanks and the run of base64 characters
// starting there end. Positions stay those of the arguments.
class Scan {
 public:
  explicit Scan(std::string_view arguments) : text_(text::AsciiLower(arguments)) {
    for (std::size_t at = text_.find("res://"); at != std::string::npos;
         at = text_.find("res://", at)) {
      for (; at < text_.size() && !IsBlank(text_[at]); ++at) text_[at] = ' ';
    }
    const std::size_t n = text_.size();
    blanks_end_.assign(n + 1, n);
    base64_end_.assign(n + 1, n);
    for (std::size_t i = n; i-- > 0;) {
      blanks_end_[i] = IsBlank(text_[i]) ? blanks_end_[i + 1] : i;
      base64_end_[i] = IsBase64(text_[i]) ? base64_end_[i + 1] : i;
    }
  }

  // The end of the first suspicious piece starting at `i`; 0 when none does.
  [[nodiscard]] std::size_t PieceAt(std::size_t i) const {
    const char before = i == 0 ? ' ' : text_[i - 1];
    for (std::string_view piece : kAnywhere) {
      if (Has(i, piece)) return i + piece.size();
    }
    if (!IsWordChar(before)) {
      for (std::string_view word : kWords) {
        if (WordAt(i, word)) return i + word.size();
      }
      if (const std::size_t end = WordsAt(i, "start", "/b")) return end;
      if (const std::size_t end = WordsAt(i, "executionpolicy", "bypass")) return end;
    }
    if (StartsToken(before)) {
      if (Has(i, "\\\\") && i + 2 < text_.size() && IsWordChar(text_[i + 2])) return i + 3;
      if (text_[i] == '-') {
        if (const std::size_t end = SwitchAt(i)) return end;
      }
    }
    if (text_[i] == '.' && i > 0 && !StartsToken(before)) {
      std::size_t end = i + 1;
      while (end < text_.size() && IsWordChar(text_[end])) ++end;
      for (std::string_view extension : kScriptExtensions) {
        if (std::string_view(text_).substr(i + 1, end - i - 1) == extension) return end;
      }
    }
    if (!IsBase64(before) && base64_end_[i] - i >= kBase64Run) return base64_end_[i];
    return 0;
  }

  // Where the token holding `i` starts.
  [[nodiscard]] std::size_t TokenStart(std::size_t i) const {
    while (i > 0 && !StartsToken(text_[i - 1])) --i;
    return i;
  }

  [[nodiscard]] std::size_t size() const { return text_.size(); }
  [[nodiscard]] char at(std::size_t i) const { return text_[i]; }

 private:
  [[nodiscard]] bool Has(std::size_t i, std::string_view piece) const {
    return std::string_view(text_).substr(i).starts_with(piece);
  }
  [[nodiscard]] bool WordAt(std::size_t i, std::string_view word) const {
    const std::size_t end = i + word.size();
    return Has(i, word) && (end == text_.size() || !IsWordChar(text_[end]));
  }

  // `first`, blanks and `second` at `i`: their end, or 0.
  [[nodiscard]] std::size_t WordsAt(std::size_t i, std::string_view first,
                                    std::string_view second) const {
    if (!WordAt(i, first)) return 0;
    const std::size_t next = blanks_end_[i + first.size()];
    return next > i + first.size() && WordAt(next, second) ? next + second.size() : 0;
  }

  // A PowerShell switch at `i` ("-" and letters) with the value that makes it
  // suspicious: the end of switch and value, or 0.
  [[nodiscard]] std::size_t SwitchAt(std::size_t i) const {
    std::size_t name_end = i + 1;
    while (name_end < text_.size() && IsLetter(text_[name_end])) ++name_end;
    const std::string_view name = std::string_view(text_).substr(i + 1, name_end - i - 1);
    if (name == "nop") return name_end;
    if (name_end == text_.size() || !IsBlank(text_[name_end])) return 0;
    const std::size_t value = blanks_end_[name_end];
    if (name == "ec" || SwitchStart(name, "encodedcommand", 1)) {
      return base64_end_[value] - value >= kEncodedCommandRun ? base64_end_[value] : 0;
    }
    if (SwitchStart(name, "windowstyle", 1)) {
      if (WordAt(value, "hidden")) return value + 6;
      if (WordAt(value, "1")) return value + 1;
    }
    if ((name == "ep" || SwitchStart(name, "executionpolicy", 2)) && WordAt(value, "bypass")) {
      return value + 6;
    }
    return 0;
  }

  std::string text_;
  std::vector<std::size_t> blanks_end_;
  std::vector<std::size_t> base64_end_;
};

}  // namespace

std::optional<std::string_view> SuspiciousArgument(std::string_view arguments) {
  const Scan scan(arguments);
  for (std::size_t i = 0; i < scan.size(); ++i) {
    if (const std::size_t end = scan.PieceAt(i)) {
      const std::size_t start = scan.at(i) == '.' ? scan.TokenStart(i) : i;
      return arguments.substr(start, end - start);
    }
  }
  return std::nullopt;
}

}  // namespace varnlink::checks
