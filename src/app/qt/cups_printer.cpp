#include "app/qt/cups_printer.h"

#include <cups/cups.h>

#include <QPrinterInfo>
#include <string>

#include "platform/error.h"

namespace varnlink::app::qt {
namespace {

constexpr const char* kJobTitle = "Varnlink";

// cups_dest_t of the default printer, freed when it goes out of scope.
class Destination {
 public:
  Destination(const std::string& name, const std::string& instance)
      : dest_(cupsGetNamedDest(CUPS_HTTP_DEFAULT, name.c_str(),
                               instance.empty() ? nullptr : instance.c_str())) {}
  ~Destination() {
    if (dest_ != nullptr) cupsFreeDests(1, dest_);
  }
  Destination(const Destination&) = delete;
  Destination& operator=(const Destination&) = delete;

  [[nodiscard]] int OptionCount() const { return dest_ != nullptr ? dest_->num_options : 0; }
  [[nodiscard]] cups_option_t* Options() const {
    return dest_ != nullptr ? dest_->options : nullptr;
  }

 private:
  cups_dest_t* dest_;
};

[[noreturn]] void ThrowNoDefaultPrinter() {
  std::string message = "No default printer is installed.";
  // An unreachable spooler also leaves no default printer; say why.
  const ipp_status_t status = cupsLastError();
  if (status != IPP_STATUS_OK && status != IPP_STATUS_ERROR_NOT_FOUND) {
    message += std::string(" The print spooler reports: ") + cupsLastErrorString();
  }
  throw platform::Error(message);
}

[[noreturn]] void ThrowSpoolerError(const std::string& queue, const char* step) {
  throw platform::Error("Printer " + queue + ": " + step + ": " + cupsLastErrorString());
}

}  // namespace

int CupsPrinter::PrintText(const std::string& text) {
  const QPrinterInfo info = QPrinterInfo::defaultPrinter();
  if (info.isNull()) ThrowNoDefaultPrinter();

  // Qt names an instance "queue/instance"; the job goes to the queue with the
  // instance's saved options.
  const std::string full_name = info.printerName().toStdString();
  const std::size_t slash = full_name.find('/');
  const std::string queue = full_name.substr(0, slash);
  const std::string instance = slash == std::string::npos ? "" : full_name.substr(slash + 1);
  const Destination dest(queue, instance);

  const int job = cupsCreateJob(CUPS_HTTP_DEFAULT, queue.c_str(), kJobTitle, dest.OptionCount(),
                                dest.Options());
  if (job == 0) ThrowSpoolerError(queue, "cannot create the print job");

  if (cupsStartDocument(CUPS_HTTP_DEFAULT, queue.c_str(), job, kJobTitle, CUPS_FORMAT_TEXT, 1) !=
      HTTP_STATUS_CONTINUE) {
    cupsCancelJob2(CUPS_HTTP_DEFAULT, queue.c_str(), job, 0);
    ThrowSpoolerError(queue, "cannot send the report");
  }
  const std::string document = text + "\r\n";
  if (cupsWriteRequestData(CUPS_HTTP_DEFAULT, document.data(), document.size()) !=
      HTTP_STATUS_CONTINUE) {
    cupsFinishDocument(CUPS_HTTP_DEFAULT, queue.c_str());
    cupsCancelJob2(CUPS_HTTP_DEFAULT, queue.c_str(), job, 0);
    ThrowSpoolerError(queue, "cannot send the report");
  }
  if (cupsFinishDocument(CUPS_HTTP_DEFAULT, queue.c_str()) != IPP_STATUS_OK) {
    ThrowSpoolerError(queue, "the print job was refused");
  }
  return job;
}

}  // namespace varnlink::app::qt
