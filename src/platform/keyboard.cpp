#include "platform/keyboard.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QCoreApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QScreen>
#include <QWidget>
#include <QWindow>

#include <algorithm>
#include <utility>

namespace zemble::platform {
namespace {

// Filters the events of one widget for as long as it lives.
class Filter final : public QObject {
public:
    using Handler = std::function<bool(QObject* watched, QEvent* event)>;
    Filter(QObject* watched, Handler handler) : QObject(watched), handler_(std::move(handler)) {
        watched->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override { return handler_(watched, event); }

private:
    Handler handler_;
};

bool isEnter(const QEvent* event) {
    if (event->type() != QEvent::KeyPress)
        return false;
    const auto* key = static_cast<const QKeyEvent*>(event);
    return (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
           (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
}

// Selects the list's current item (the first one when there is none) when
// nothing is selected, as a click on it would.
void selectCurrentIfNone(QAbstractItemView* view) {
    QItemSelectionModel* selection = view->selectionModel();
    if (!selection || selection->hasSelection() || !view->model() ||
        view->model()->rowCount(view->rootIndex()) == 0)
        return;
    QModelIndex current = view->currentIndex();
    if (!current.isValid())
        current = view->model()->index(0, 0, view->rootIndex());
    selection->setCurrentIndex(current, QItemSelectionModel::ClearAndSelect);
}

} // namespace

void selectCurrentOnTab(QAbstractItemView* list) {
    new Filter(list, [](QObject* watched, QEvent* event) {
        if (event->type() != QEvent::FocusIn)
            return false;
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        const bool byKeys = reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason ||
                            reason == Qt::ShortcutFocusReason;
        if (byKeys)
            selectCurrentIfNone(static_cast<QAbstractItemView*>(watched));
        return false;
    });
    // The mnemonic of the list's label, pressed while the list already has
    // the caret, gives no focus event: it selects just the same.
    for (QLabel* label : list->window()->findChildren<QLabel*>()) {
        if (label->buddy() != list)
            continue;
        new Filter(label, [list](QObject*, QEvent* event) {
            if (event->type() == QEvent::Shortcut && list->hasFocus())
                selectCurrentIfNone(list);
            return false;
        });
    }
}

void activateOnKeys(QAbstractItemView* list, std::function<void()> activate) {
    new Filter(list, [activate = std::move(activate)](QObject* watched, QEvent* event) {
        if (event->type() != QEvent::KeyPress)
            return false;
        const auto* press = static_cast<QKeyEvent*>(event);
        const auto mode = static_cast<QAbstractItemView*>(watched)->selectionMode();
        const bool several = mode == QAbstractItemView::MultiSelection ||
                             mode == QAbstractItemView::ExtendedSelection;
        if (several && (press->modifiers() & Qt::ControlModifier))
            return false;
        const int key = press->key();
        if (key != Qt::Key_Return && key != Qt::Key_Enter && key != Qt::Key_Space)
            return false;
        // The item with the focus frame is the one acted on, selected or not.
        selectCurrentIfNone(static_cast<QAbstractItemView*>(watched));
        activate();
        return true;
    });
}

void skipDisabledMnemonics(QMenu* menu) {
    new Filter(menu, [](QObject* watched, QEvent* event) {
        if (event->type() != QEvent::KeyPress)
            return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->text().size() != 1 ||
            (key->modifiers() & ~(Qt::ShiftModifier | Qt::AltModifier)) != Qt::NoModifier)
            return false;
        auto* open = static_cast<QMenu*>(watched);
        const int letter = key->text().at(0).toUpper().unicode();
        QAction* enabled = nullptr;
        int matches = 0;
        int enabledMatches = 0;
        for (QAction* action : open->actions()) {
            const QKeySequence mnemonic = QKeySequence::mnemonic(action->text());
            if (action->isSeparator() || !action->isVisible() || mnemonic.isEmpty() ||
                mnemonic[0].key() != letter)
                continue;
            ++matches;
            if (action->isEnabled()) {
                ++enabledMatches;
                enabled = action;
            }
        }
        if (matches < 2 || enabledMatches != 1)
            return false;
        // Run it as Enter on the highlighted item does, closing the menus.
        open->setActiveAction(enabled);
        QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QCoreApplication::sendEvent(open, &enter);
        return true;
    });
}

void pressOnEnter(QAbstractButton* button) {
    new Filter(button, [](QObject* watched, QEvent* event) {
        if (!isEnter(event))
            return false;
        static_cast<QAbstractButton*>(watched)->click();
        return true;
    });
}

void stayAbove(QWidget* window, QWidget* opener) {
    if (!window || !opener)
        return;
    QWidget* below = opener->window();
    // Both need a window of the window system to be tied together.
    window->winId();
    below->winId();
    if (QWindow* handle = window->windowHandle())
        handle->setTransientParent(below->windowHandle());
}

void placeOverOpener(QWidget* window) {
    const QWindow* handle = window->windowHandle();
    const QWindow* below = handle ? handle->transientParent() : nullptr;
    if (!below || !below->isVisible())
        return;
    const QRect owner = below->frameGeometry();
    QRect frame = window->frameGeometry();
    frame.moveCenter(owner.center());
    if (const QScreen* screen = below->screen()) {
        const QRect area = screen->availableGeometry();
        frame.moveRight(std::min(frame.right(), area.right()));
        frame.moveBottom(std::min(frame.bottom(), area.bottom()));
        frame.moveLeft(std::max(frame.left(), area.left()));
        frame.moveTop(std::max(frame.top(), area.top()));
    }
    window->move(frame.topLeft());
}

QWidget* windowAbove(const QWidget* window) {
    const QWindow* below = window->windowHandle();
    if (!below)
        return nullptr;
    for (QWidget* top : QApplication::topLevelWidgets()) {
        const QWindow* handle = top->windowHandle();
        if (!top->isVisible() || !handle || handle->transientParent() != below)
            continue;
        if (QWidget* deeper = windowAbove(top))
            return deeper;
        if (top->isEnabled())
            return top;
    }
    return nullptr;
}

} // namespace zemble::platform
