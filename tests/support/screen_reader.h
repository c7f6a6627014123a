#pragma once

// What the program tells a screen reader.

#include "platform/accessibility.h"
#include "platform/service.h"

#include <QAccessible>
#include <QtWidgets>

namespace zemble::test {

// Records, for as long as it lives, every change told to the screen reader to
// speak at once: the control's object name, the role it is exposed with and
// the text it then shows.
class HeardNotifications final : public platform::ScreenReaderService {
public:
    struct Heard {
        QString control;
        QAccessible::Role role = QAccessible::NoRole;
        QString text;
        bool operator==(const Heard&) const = default;
    };

    void announce(QWidget* control, const QString& text) override {
        const QAccessibleInterface* exposed = QAccessible::queryAccessibleInterface(control);
        heard.append(
            {control->objectName(), exposed ? exposed->role() : QAccessible::NoRole, text});
    }

    QList<Heard> heard;

private:
    platform::ScopedService<platform::ScreenReaderService> guard_{this};
};

// How a failed comparison shows a heard change.
inline char* toString(const HeardNotifications::Heard& heard) {
    return qstrdup(
        qPrintable(heard.control + u' ' + QString::number(heard.role, 16) + u' ' + heard.text));
}

} // namespace zemble::test

Q_DECLARE_METATYPE(zemble::test::HeardNotifications::Heard)
