#include "support/system_info_double.h"

namespace zemble::test {

bool RecordingSystemInfo::startTool() {
    ++starts;
    return toolAvailable;
}

} // namespace zemble::test
