#include "platform/contacts_source.h"

namespace zemble::platform {
namespace {

// This desktop has no mail program that can be automated, so the contacts
// folder can never be reached: every connect fails and the import says so.
class UnavailableContactsSource final : public ContactsSourceService {
public:
    bool connect() override { return false; }
    bool nextItem() override { return false; }
    QString itemProperty(const QString&) override { return {}; }
    void release() override {}
    QString unavailableReason() const override {
        return QStringLiteral("Outlook is not available on this system.");
    }
};

} // namespace

ContactsSourceService& ContactsSourceService::real() {
    static UnavailableContactsSource service;
    return service;
}

} // namespace zemble::platform
