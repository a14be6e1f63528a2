#pragma once
// The one-shot exchanges behind the exports: connect, log in with the caller's
// credentials and a purpose code, wait for the login answer, close.
#include <optional>
#include <string>

#include "faxsvc/diagnostic_log.h"
#include "faxsvc/fax_link.h"
#include "faxsvc/protocol.h"
#include "faxsvc/timing.h"

namespace ostrel::fax {

// The accepted login answer (status 0), or nullopt when the server could not be
// reached, refused, answered with something else or never answered.
std::optional<LoginAnswer> runOneShotQuery(const Endpoint& endpoint, DiagnosticLog& log, Timing timing,
                                           const std::string& userId, const std::string& password,
                                           Purpose purpose);

}  // namespace ostrel::fax
