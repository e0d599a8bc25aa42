#include "runtoend.h"

#include <QSignalSpy>
#include <QTest>

namespace parlevo::test {

SendRunSummary runToEnd(MailingRun &run, int timeoutMs)
{
    QSignalSpy finished(&run, &MailingRun::finished);
    run.start();
    if (!finished.wait(timeoutMs))
        qWarning("the mailing run did not end within %d ms", timeoutMs);
    return run.summary();
}

} // namespace parlevo::test
