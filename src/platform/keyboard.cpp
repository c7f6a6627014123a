#include "platform/keyboard.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QCoreApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QWidget>
#include <QWindow>

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

} // namespace

void selectCurrentOnTab(QAbstractItemView* list) {
    new Filter(list, [](QObject* watched, QEvent* event) {
        if (event->type() != QEvent::FocusIn)
            return false;
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        auto* view = static_cast<QAbstractItemView*>(watched);
        QItemSelectionModel* selection = view->selectionModel();
        const bool byKeys = reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason ||
                            reason == Qt::ShortcutFocusReason;
        if (!byKeys || !selection || selection->hasSelection() ||
            view->model()->rowCount(view->rootIndex()) == 0)
            return false;
        QModelIndex current = view->currentIndex();
        if (!current.isValid())
            current = view->model()->index(0, 0, view->rootIndex());
        selection->setCurrentIndex(current, QItemSelectionModel::ClearAndSelect);
        return false;
    });
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
