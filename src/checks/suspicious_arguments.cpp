#include "checks/suspicious_arguments.h"

#include <algorithm>
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

// An en dash (U+2013), em dash (U+2014) or horizontal bar (U+2015) in UTF-8.
constexpr std::size_t kDashSize = 3;
bool IsDash(std::string_view text) {
  const auto byte = [&text](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  return text.size() >= kDashSize && byte(0) == 0xE2 && byte(1) == 0x80 && byte(2) >= 0x93 &&
         byte(2) <= 0x95;
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
  explicit Scan(std::string_view arguments) {
    // PowerShell takes an en dash, an em dash or a horizontal bar for "-":
    // each becomes "-" here, and `origin_` keeps where each byte came from.
    const std::string lower = text::AsciiLower(arguments);
    text_.reserve(lower.size());
    origin_.reserve(lower.size() + 1);
    for (std::size_t i = 0; i < lower.size();) {
      origin_.push_back(i);
      if (IsDash(std::string_view(lower).substr(i))) {
        text_ += '-';
        i += kDashSize;
      } else {
        text_ += lower[i++];
      }
    }
    origin_.push_back(lower.size());
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
      if (WordAt(i, "--headless")) return i + 10;
      if (text_[i] == '-' || text_[i] == '/') {
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

  // Where the scan's position `i` lies in the arguments.
  [[nodiscard]] std::size_t Origin(std::size_t i) const { return origin_[i]; }
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
    if (SwitchStart(name, "noprofile", 3)) return name_end;
    if (name_end == text_.size() || !IsBlank(text_[name_end])) return 0;
    std::size_t value = blanks_end_[name_end];
    // The value may stand in quotes.
    if (value < text_.size() && text_[value] == '"') ++value;
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
  std::vector<std::size_t> origin_;
  std::vector<std::size_t> blanks_end_;
  std::vector<std::size_t> base64_end_;
};

// One argument as Windows' command-line rules split them: blanks part
// arguments outside quotes; `\"` is a quote kept.
struct Argument {
  std::size_t start = 0;  // where it starts in the text, its quotes included
  std::size_t end = 0;
  std::string value;  // without its quotes
};

// Where the blanks (spaces and tabs) that start at `at` end.
std::size_t SkipBlanks(std::string_view text, std::size_t at) {
  while (at < text.size() && (text[at] == ' ' || text[at] == '\t')) ++at;
  return at;
}

// The argument starting at or after `at`; nullopt when only blanks remain.
std::optional<Argument> NextArgument(std::string_view text, std::size_t at) {
  at = SkipBlanks(text, at);
  if (at == text.size()) return std::nullopt;
  Argument argument{at, at, {}};
  bool quoted = false;
  std::size_t i = at;
  for (; i < text.size() && (quoted || (text[i] != ' ' && text[i] != '\t')); ++i) {
    if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == '"') {
      argument.value += '"';
      ++i;
    } else if (text[i] == '"') {
      quoted = !quoted;
    } else {
      argument.value += text[i];
    }
  }
  argument.end = i;
  return argument;
}

// The program and its arguments in a command line.
WrappedCommand Command(std::string_view command, std::string_view marker) {
  const auto program = NextArgument(command, 0);
  if (!program) return {marker, "", ""};
  const std::size_t rest = SkipBlanks(command, program->end);
  return {marker, program->value, std::string(command.substr(rest))};
}

// conhost.exe's options, and those of them that take a value.
std::optional<WrappedCommand> ConsoleHostCommand(std::string_view arguments) {
  constexpr auto kWithValue = std::to_array<std::string_view>(
      {"--width", "--height", "--signal", "--server", "--vtmode", "--feature"});
  std::string_view marker;
  std::size_t at = 0;
  while (const auto option = NextArgument(arguments, at)) {
    if (!option->value.starts_with("--")) {
      return Command(arguments.substr(option->start), marker);
    }
    const std::string name = text::AsciiLower(option->value);
    if (name == "--headless") marker = arguments.substr(option->start, option->end - option->start);
    at = option->end;
    if (std::find(kWithValue.begin(), kWithValue.end(), name) != kWithValue.end()) {
      if (const auto value = NextArgument(arguments, at)) at = value->end;
    }
  }
  if (marker.empty()) return std::nullopt;
  return WrappedCommand{marker, "", ""};
}

// The value of a hexadecimal digit; -1 for another character.
int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  const char lower = static_cast<char>(c | 0x20);
  return lower >= 'a' && lower <= 'f' ? lower - 'a' + 10 : -1;
}

// forfiles' /c command, where 0xHH stands for the byte HH.
std::optional<WrappedCommand> ForFilesCommand(std::string_view arguments) {
  for (auto argument = NextArgument(arguments, 0); argument;
       argument = NextArgument(arguments, argument->end)) {
    const std::string name = text::AsciiLower(argument->value);
    if (name != "/c" && name != "-c") continue;
    const std::string_view marker =
        arguments.substr(argument->start, argument->end - argument->start);
    const auto command = NextArgument(arguments, argument->end);
    if (!command) return WrappedCommand{marker, "", ""};
    std::string text;
    const std::string& value = command->value;
    for (std::size_t i = 0; i < value.size(); ++i) {
      const int high = i + 3 < value.size() ? HexDigit(value[i + 2]) : -1;
      const int low = high < 0 ? -1 : HexDigit(value[i + 3]);
      if (low >= 0 && value[i] == '0' && (value[i + 1] == 'x' || value[i + 1] == 'X')) {
        text += static_cast<char>(high * 16 + low);
        i += 3;
      } else {
        text += value[i];
      }
    }
    return Command(text, marker);
  }
  return std::nullopt;
}

}  // namespace

std::optional<WrappedCommand> WrappedCommandOf(std::string_view host, std::string_view arguments) {
  if (host == "conhost") return ConsoleHostCommand(arguments);
  if (host == "forfiles") return ForFilesCommand(arguments);
  return std::nullopt;
}

std::optional<std::string_view> SuspiciousArgument(std::string_view arguments) {
  const Scan scan(arguments);
  for (std::size_t i = 0; i < scan.size(); ++i) {
    if (const std::size_t end = scan.PieceAt(i)) {
      const std::size_t start = scan.Origin(scan.at(i) == '.' ? scan.TokenStart(i) : i);
      return arguments.substr(start, scan.Origin(end) - start);
    }
  }
  return std::nullopt;
}

}  // namespace varnlink::checks
