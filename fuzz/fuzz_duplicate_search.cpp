// Fuzz target, differential: the duplicate checks (answered from an index of
// the entries reported so far) against a plain search of the report the
// formatter writes for the same entries: the first line that begins with
// "TARGET:   " and the checked text (prefix matches included), and the path
// on the nearest "LOCATION:   " line before it. Any sequence of entries, with
// any text in their paths, targets and arguments, must give the same answers.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "audit/duplicate_warnings.h"
#include "fuzz/entry_ops.h"
#include "fuzz/fuzz_check.h"
#include "report/report_format.h"
#include "tests/support/fake_file_services.h"
#include "tests/support/report_search.h"
#include "text/report_text.h"

namespace {

using varnlink::text::ShownText;

std::optional<std::string> Shown(const std::optional<std::string>& path) {
  if (!path) return std::nullopt;
  return ShownText(*path);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  varnlink::fuzz::EntryReader input(std::span(data, size));
  varnlink::audit::DuplicateWarnings duplicates;
  varnlink::audit::AuditOptions options;
  options.warn_duplicate_targets = options.warn_duplicate_arguments = true;
  std::string report;
  while (!input.Empty()) {
    const varnlink::fuzz::EntryText text = input.Next();
    varnlink::report::ReportEntry entry;
    entry.facts.path = text.path;
    entry.info.target = text.target;
    entry.info.arguments = text.arguments;

    const std::vector<std::string> messages = duplicates.Check(entry, options);
    const bool takes_part = !text.target.empty();
    const auto expected_target =
        takes_part ? varnlink::test_support::EarlierTargetLiteral(
                         report, varnlink::report::ShownTarget(entry.info))
                   : std::nullopt;
    VARNLINK_FUZZ_CHECK(Shown(entry.duplicate_target_of) == expected_target,
                        "the target check finds what a search of the report finds");
    const auto expected_arguments =
        takes_part && text.arguments
            ? varnlink::test_support::EarlierTargetLiteral(
                  report, varnlink::report::TargetLineText(entry.info))
            : std::nullopt;
    VARNLINK_FUZZ_CHECK(Shown(entry.duplicate_arguments_of) == expected_arguments,
                        "the arguments check finds what a search of the report finds");
    VARNLINK_FUZZ_CHECK(messages.size() == (expected_target ? 1u : 0u) +
                                                     (expected_arguments ? 1u : 0u),
                        "one message per hit");

    varnlink::report::AppendEntry(report, entry);
    duplicates.Add(entry);
  }
  return 0;
}
