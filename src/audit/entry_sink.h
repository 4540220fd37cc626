#pragma once

#include <cstddef>

#include "auditor/report_entry.h"

namespace varnlink::audit {

// Where an audit run hands each entry the moment it is made: the window's
// report, or a writer of the command line's output.
class EntrySink {
 public:
  virtual ~EntrySink() = default;
  // Before the first entry: how many shortcuts the run will audit.
  virtual void Expect(std::size_t /*count*/) {}
  virtual void Add(const auditor::ReportEntry& entry) = 0;
};

}  // namespace varnlink::audit
