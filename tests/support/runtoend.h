#pragma once

#include "sending/sendrun.h"

namespace parlevo::test {

// Starts the run and lets the event loop turn until it has finished; its totals.
SendRunSummary runToEnd(MailingRun &run, int timeoutMs = 60000);

} // namespace parlevo::test
