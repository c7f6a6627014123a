#pragma once

#include "platform/system_info.h"

namespace zemble::test {

// Stands in for the system information tool: counts the starts and answers
// whether a tool was found.
class RecordingSystemInfo final : public platform::SystemInfoService {
public:
    bool startTool() override;

    int starts = 0;
    bool toolAvailable = false;
};

} // namespace zemble::test
