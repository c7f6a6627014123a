#include "core/send_record.h"

#include <algorithm>

namespace zemble {

bool SendRecord::reached(qsizetype i) const {
    const QList<PartState>& states = parts.at(i);
    return !states.isEmpty() && std::all_of(states.begin(), states.end(),
                                            [](PartState s) { return s == PartState::Confirmed; });
}

bool SendRecord::anythingSent() const {
    const auto sent = [](PartState s) { return s != PartState::NotSent; };
    return sent(confirmation) || std::any_of(parts.begin(), parts.end(), [&](const auto& states) {
               return std::any_of(states.begin(), states.end(), sent);
           });
}

} // namespace zemble
