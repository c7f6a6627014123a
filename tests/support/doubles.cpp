#include "support/doubles.h"

namespace zemble::test {

platform::Answer RecordingMessageBox::ask(const platform::MessageBoxRequest& request) {
    asked.append(request);
    if (onAsk)
        onAsk(request);
    if (!answers.isEmpty())
        return answers.dequeue();
    return request.buttons == platform::Buttons::Ok ? platform::Answer::Ok : yesNoFallback;
}

QStringList RecordingMessageBox::titles() const {
    QStringList out;
    for (const auto& r : asked)
        out.append(r.title);
    return out;
}

} // namespace zemble::test
