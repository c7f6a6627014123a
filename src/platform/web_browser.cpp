#include "platform/web_browser.h"

#include "platform/service.h"

#include <QDesktopServices>
#include <QUrl>

namespace zemble::platform {
namespace {

class DesktopBrowser final : public WebBrowserService {
public:
    void openAddress(const QString& address) override {
        // A failure to open the page is not reported.
        QDesktopServices::openUrl(QUrl::fromUserInput(address));
    }
};

} // namespace

WebBrowserService& WebBrowserService::real() {
    static DesktopBrowser service;
    return service;
}

void openWebAddress(const QString& address) {
    use<WebBrowserService>().openAddress(address);
}

} // namespace zemble::platform
