#pragma once

#include "session/send_job.h"
#include "session/transport_front.h"

#include <QString>

namespace zemble {
class OperatorSite;
}

namespace zemble::cli {

// zemble-send's front end of the send job and the transport: each step as a
// line on standard error (none when quiet), the job's questions answered
// from the command line, and a failed request told and given up, so that the
// run ends; only a log-on or a quota check is tried again, and only as often
// as --retries allows.
class TerminalFront final : public SendJobListener, public SendJobQuestions, public TransportFront {
public:
    TerminalFront(OperatorSite& site, bool quiet, bool yes, int retries);

    // A line "zemble-send: <text>" on standard error.
    static void tell(const QString& text);

    // The step under way, also for the steps the program takes itself.
    void step(SendStep step, const QString& text) override;
    void progress(int, int) override {}

    void refuse(const JobMessage& message) override;
    bool goOn(const JobMessage& message) override;
    void logNotSaved(const JobMessage& message) override;
    void finishedPause() override {}

    FailureChoice requestFailed(const RequestFailure& failure) override;

    // A request failed and was given up.
    bool failed() const { return failed_; }

    // The request under way is answered, but no further one but the log-off
    // is sent.
    void stopBeforeNextRequest() { stopping_ = true; }

private:
    OperatorSite& site_;
    bool quiet_;
    bool yes_;
    int retries_;
    int retriesLeft_ = 0;
    SendStep step_ = SendStep::Begin;
    bool failed_ = false;
    bool stopping_ = false;
};

// The text a person reads in a page: no tags, scripts or styles, blanks
// collapsed, at most `most` characters.
QString pageSummary(const QString& page, int most = 200);

} // namespace zemble::cli
