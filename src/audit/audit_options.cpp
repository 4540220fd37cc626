#include "audit/audit_options.h"

#include "text/code_page_decoder.h"

namespace varnlink::audit {

std::string ReadCodePageOption(const std::string& value, AuditOptions& options) {
  if (value == "auto") {
    options.code_page.reset();
    return {};
  }
  unsigned code_page = 0;
  const bool digits = !value.empty() && value.size() <= 5 &&
                      value.find_first_not_of("0123456789") == std::string::npos;
  if (digits) code_page = static_cast<unsigned>(std::stoul(value));
  if (!digits || !text::IsAnsiCodePage(code_page)) {
    return "--codepage needs auto or a Windows ANSI code page (1250 to 1258, 874, 932, 936, "
           "949, 950 or 65001), not \"" +
           value + "\"";
  }
  options.code_page = code_page;
  return {};
}

std::optional<std::string> CodePageWarning(const AuditOptions& options) {
  if (!options.code_page) return std::nullopt;
  const auto fault = text::CodePageFault(*options.code_page);
  if (!fault) return std::nullopt;
  return "code page " + std::to_string(*options.code_page) + " cannot be read here (" + *fault +
         "): ANSI text is read as Windows-1252";
}

}  // namespace varnlink::audit
