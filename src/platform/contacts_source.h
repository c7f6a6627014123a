#pragma once

#include <QString>

namespace zemble::platform {

// The desktop's own contacts folder, read directly (the mail program's
// default contacts folder and its items).  Read only.
class ContactsSourceService {
public:
    virtual ~ContactsSourceService() = default;

    // Reaches the mail program, its "MAPI" namespace and its default contacts
    // folder (folder 10).  False when any of the three cannot be had; nothing
    // else is then valid until the next connect.
    virtual bool connect() = 0;
    // Moves to the next item of the folder, in the order the folder gives;
    // false when there is none left.
    virtual bool nextItem() = 0;
    // One text property of the current item; "" when the item lacks it or it
    // cannot be read.
    virtual QString itemProperty(const QString& name) = 0;
    // Lets go of the folder and the mail program.
    virtual void release() = 0;
    // Why the contacts folder cannot be reached on this system at all, or ""
    // when it may be (a connect can still fail).
    virtual QString unavailableReason() const { return {}; }

    static ContactsSourceService& real();
};

// Names of the item properties the import reads.
namespace contactProperties {
inline constexpr auto mobile = "MobileTelephoneNumber";
inline constexpr auto lastName = "LastName";
inline constexpr auto firstName = "FirstName";
} // namespace contactProperties

} // namespace zemble::platform
