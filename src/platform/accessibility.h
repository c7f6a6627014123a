#pragma once

class QLabel;
class QString;
class QWidget;

namespace zemble::platform {

// What a screen reader is told about a window or control beyond what Qt's own
// widgets say.

// Exposes `window` and each of its widgets whose dynamic property
// "accessibleRole" names a role of QAccessible::Role ("Dialog", "Window",
// "Link", "Notification") with that role; a label so marked keeps its text as
// its name.  Set the property in the form and call this once the form is set
// up: what a screen reader was told of those widgets before is replaced.
void applyAccessibleRoles(QWidget* window);

// The desktop's screen reader, told of a change it speaks whatever has the
// caret.
class ScreenReaderService {
public:
    virtual ~ScreenReaderService() = default;
    // `control`, exposed as a notification, now shows `text`.
    virtual void announce(QWidget* control, const QString& text) = 0;
    static ScreenReaderService& real();
};

// Sets the status label's text.  When the text is new, the label (exposed as
// a notification) is shown to the screen reader again, which speaks it; the
// same text set again changes nothing and is not spoken twice.
void announce(QLabel* label, const QString& text);

} // namespace zemble::platform
