#include "platform/accessibility.h"

#include "platform/service.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QLabel>
#include <QMetaEnum>

namespace zemble::platform {
namespace {

constexpr char kRoleProperty[] = "accessibleRole";

class RoleAccessible final : public QAccessibleWidget {
public:
    RoleAccessible(QWidget* widget, QAccessible::Role role) : QAccessibleWidget(widget, role) {}

    QString text(QAccessible::Text t) const override {
        // A label's name is its text, as it is for an unmarked label.
        if (t == QAccessible::Name && widget()->accessibleName().isEmpty())
            if (const auto* label = qobject_cast<const QLabel*>(widget()))
                return label->text();
        return QAccessibleWidget::text(t);
    }
};

QAccessibleInterface* roleFactory(const QString&, QObject* object) {
    if (!object || !object->isWidgetType())
        return nullptr;
    const QVariant name = object->property(kRoleProperty);
    if (!name.isValid())
        return nullptr;
    bool known = false;
    const int role = QMetaEnum::fromType<QAccessible::Role>().keyToValue(
        name.toString().toLatin1().constData(), &known);
    if (!known)
        return nullptr;
    return new RoleAccessible(static_cast<QWidget*>(object), QAccessible::Role(role));
}

// Qt before 6.8 has no announcement event of its own.  A notification
// shown is what the desktop's bridge passes on as one ("showing" on an
// object of the notification role), and what screen readers speak at once.
class DesktopScreenReader final : public ScreenReaderService {
public:
    void announce(QWidget* control, const QString&) override {
        QAccessibleEvent shown(control, QAccessible::ObjectShow);
        QAccessible::updateAccessibility(&shown);
    }
};

} // namespace

ScreenReaderService& ScreenReaderService::real() {
    static DesktopScreenReader service;
    return service;
}

void applyAccessibleRoles(QWidget* window) {
    static const bool installed = [] {
        QAccessible::installFactory(roleFactory);
        return true;
    }();
    Q_UNUSED(installed);
    QList<QWidget*> widgets = window->findChildren<QWidget*>();
    widgets.prepend(window);
    for (QWidget* widget : widgets) {
        if (!widget->property(kRoleProperty).isValid())
            continue;
        // An interface made before the property was set (Qt makes one for
        // the first event a widget sends) goes, so that the next one asked
        // for comes from the factory.
        QAccessibleInterface* made = QAccessible::queryAccessibleInterface(widget);
        if (made && !dynamic_cast<RoleAccessible*>(made))
            QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(made));
    }
}

void announce(QLabel* label, const QString& text) {
    if (label->text() == text)
        return;
    label->setText(text);
    use<ScreenReaderService>().announce(label, text);
}

} // namespace zemble::platform
