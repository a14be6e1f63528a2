#pragma once
// The print spooler, CUPS, as far as printing needs it beside the printer's
// device context: whether a queue can take a job, and handing it a finished
// document. CUPS is asked where libcups finds it ($CUPS_SERVER, client.conf,
// the local scheduler). Safe from any thread: libcups keeps its connection and
// last error per thread.
#include <string>
#include <utility>
#include <vector>

namespace ostrel {

// Why a queue cannot print now; empty when it can: a printer CUPS does not know,
// a stopped queue (whose jobs would wait there unseen), a queue that refuses
// jobs, or a scheduler that does not answer.
std::string cupsQueueProblem(const std::string& printer);

// Why CUPS cannot list the printers (not running, access refused); empty when it can.
std::string cupsSchedulerProblem();

// Submits a document file as one job named `title`. Empty when CUPS accepted
// the whole job (it is CUPS's from then on), else the reason it did not.
std::string submitToCups(const std::string& printer, const std::string& file, const std::string& title,
                         const std::vector<std::pair<std::string, std::string>>& options);

}  // namespace ostrel
