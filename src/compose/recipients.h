#pragma once

#include "addressbook/name_index.h"
#include "compose/compose_host.h"

#include <QSet>
#include <QString>
#include <QStringList>

#include <optional>

namespace zemble {

struct ContactStore;

// Asks the user which of several contacts a typed name means.
class NameChooser {
public:
    virtual ~NameChooser() = default;
    // `names` holds the candidates joined by ";", `num` of them are shown;
    // `original` is what the user typed.  Returns the chosen name, or
    // `original` when the user declines to choose.
    virtual QString Main(const QString& names, int num, const QString& original) = 0;
};

// The logic behind the To field: every entry typed there is resolved against
// the address book and the field is rewritten as a clean recipient list.
// The compose window owns one and runs txtTo_LostFocus when the field loses
// the focus.
class RecipientsField {
public:
    // Without a chooser, a name that several contacts start with stays as
    // typed.
    explicit RecipientsField(const ContactStore& store, NameChooser* chooser = nullptr);

    void setChooser(NameChooser* chooser) { chooser_ = chooser; }

    // Rewrites the compose window's To field and refreshes its status line.
    // A field of spaces only is left exactly as it is, without a refresh.
    void txtTo_LostFocus(ComposeHost& compose);

    // The normalised form of a To text, or nothing when the text is to be
    // left alone (spaces only, or a normalisation already under way).
    // Rebuilds recipients().  `dropped`, when given, receives the entries
    // (without their surrounding spaces) that named nobody and were left out.
    std::optional<QString> normaliseRecipientText(const QString& text,
                                                  QStringList* dropped = nullptr);

    // What one trimmed entry becomes: a contact's name, a national number,
    // the typed text when the chooser was declined, or "" to drop it.  `max`
    // is the last index of recipients() that counts as already listed.
    QString resolve_recipient(const QString& entry, int max);

    // True when `name` equals (case-sensitively) one of recipients() 0..max.
    bool is_in_list(const QString& name, int max) const;

    // The entries of the last normalisation; unfilled slots are empty.
    const QStringList& recipients() const { return recipients_; }

private:
    const ContactStore& store_;
    NameChooser* chooser_;
    QStringList recipients_;
    // The names in recipients_, which fill its first filled_ slots.
    QSet<QString> taken_;
    int filled_ = 0;
    ContactNameIndex index_{ContactNameIndex::Case::Lower};
    bool busy_ = false;
};

} // namespace zemble
