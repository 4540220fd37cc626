#include "audit/quarantine_sink.h"

#include "audit/folder_walk.h"

namespace varnlink::audit {

QuarantineSink::QuarantineSink(EntrySink& output, Quarantine& quarantine,
                               std::vector<std::string> audited, char separator, bool dry_run)
    : output_(output),
      quarantine_(quarantine),
      audited_(std::move(audited)),
      separator_(separator),
      dry_run_(dry_run) {}

bool QuarantineSink::ShouldMove(const report::ReportEntry& entry) {
  return !entry.jump_list && entry.target_status &&
         entry.target_status->outcome == checks::TargetOutcome::kMissing &&
         entry.target_status->absent;
}

void QuarantineSink::Add(const report::ReportEntry& entry) {
  if (!ShouldMove(entry)) {
    output_.Add(entry);
    return;
  }
  const std::string& path = entry.facts.path;
  std::size_t index = 0;
  std::string relative;
  for (; index < audited_.size(); ++index) {
    const std::string root = WithoutTrailingSeparator(audited_[index], separator_);
    if (path == root) {
      relative = path.substr(path.find_last_of(separator_) + 1);  // npos + 1 is 0
      break;
    }
    const std::string prefix = root.ends_with(separator_) ? root : root + separator_;
    if (path.starts_with(prefix) && path.size() > prefix.size()) {
      relative = path.substr(prefix.size());
      break;
    }
  }
  if (relative.empty()) {
    output_.Add(entry);  // not below any audited path as given: left alone
    return;
  }
  const std::string place = quarantine_.PlaceFor(index, relative);
  if (dry_run_) {
    moves_.emplace_back(path, place);
    output_.Add(entry);
    return;
  }
  if (!quarantine_.Move(path, place)) {
    output_.Add(entry);
    return;
  }
  moves_.emplace_back(path, place);
  report::ReportEntry moved = entry;
  moved.quarantined_to = place;
  output_.Add(moved);
}

}  // namespace varnlink::audit
