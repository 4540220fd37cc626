#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "audit/entry_sink.h"
#include "audit/quarantine.h"

namespace varnlink::audit {

// Between an audit run and its output: moves each shortcut whose target the
// file system said is not there into the quarantine, then hands the entry on
// marked with its new place. Nothing else moves: not a found target, not one
// not checked, not one missing for another reason (a folder that may not be
// searched), not a shortcut kept in a jump list, not one that could not be
// read. On a dry run it moves nothing and only lists what would move.
class QuarantineSink : public EntrySink {
 public:
  // `audited` are the run's paths in order (or its one folder); each
  // shortcut keeps its path below the first of them that holds it.
  QuarantineSink(EntrySink& output, Quarantine& quarantine, std::vector<std::string> audited,
                 char separator, bool dry_run);

  [[nodiscard]] static bool ShouldMove(const report::ReportEntry& entry);

  void Expect(std::size_t count) override { output_.Expect(count); }
  // Writes nothing ahead (EntrySink::WriteAhead): a record's quarantined_to
  // is known only once its shortcut has moved.
  void Add(const report::ReportEntry& entry) override;
  void Fail(const report::FailedShortcut& shortcut) override { output_.Fail(shortcut); }
  void Tell(const std::string& message) override { output_.Tell(message); }

  // The shortcuts moved (on a dry run, that would move): from, to.
  [[nodiscard]] const std::vector<std::pair<std::string, std::string>>& Moves() const {
    return moves_;
  }

 private:
  EntrySink& output_;
  Quarantine& quarantine_;
  std::vector<std::string> audited_;
  char separator_;
  bool dry_run_;
  std::vector<std::pair<std::string, std::string>> moves_;
};

}  // namespace varnlink::audit
