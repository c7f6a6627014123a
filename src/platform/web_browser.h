#pragma once

#include <QString>

namespace zemble::platform {

// Opens a web address in the desktop's own browser.
class WebBrowserService {
public:
    virtual ~WebBrowserService() = default;
    virtual void openAddress(const QString& address) = 0;
    static WebBrowserService& real();
};

void openWebAddress(const QString& address);

} // namespace zemble::platform
