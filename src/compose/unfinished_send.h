#pragma once

#include "core/send_record.h"

#include <QString>

#include <optional>

namespace zemble {

// A send that stopped half way (the site refused a text, the network
// dropped, the user gave up) after at least one text was confirmed.  The
// compose window remembers it for the rest of the run, so that the next Send
// of the same To text and message can leave out what arrived.
class UnfinishedSend {
public:
    // A job of a send has ended.  A send that went whole is forgotten; one
    // that stopped half way is remembered, together with what earlier jobs
    // of the same send delivered.  A job that sent nothing changes nothing.
    void jobEnded(const SendRecord& record, bool sent);
    // The send remembered for exactly this To text and message, or null.
    const SendRecord* matching(const QString& to, const QString& message) const;
    // Forgets the send unless it is the one of this To text and message.
    void forgetUnless(const QString& to, const QString& message);

private:
    std::optional<SendRecord> record_;
};

// The status line's send state for a send that stopped half way:
// "       This text message reached 2 of 5 recipients".
QString unfinishedInformationText(const SendRecord& record);

// The question asked before the next Send of it: who has the message, who
// does not, which texts may have arrived; Yes, No or Cancel.
inline constexpr auto kUnfinishedTitle = "Message partly sent";
QString unfinishedQuestionText(const SendRecord& record);

// What the next job leaves out.  `resume` (Yes): every text confirmed so far;
// otherwise (No) nothing but a confirmation copy that went, which is never
// sent twice.  A text that may have arrived is sent again either way.
SendRecord textsToLeaveOut(const SendRecord& record, bool resume);

} // namespace zemble
