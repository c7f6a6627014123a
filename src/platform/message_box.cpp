#include "platform/message_box.h"

#include "platform/service.h"

#include <QApplication>
#include <QMessageBox>

namespace zemble::platform {
namespace {

class DesktopMessageBox final : public MessageBoxService {
public:
    Answer ask(const MessageBoxRequest& request) override {
        QMessageBox box(QApplication::activeWindow());
        box.setWindowTitle(request.title);
        box.setTextFormat(Qt::PlainText);
        QString text = request.text;
        text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
        box.setText(text);
        switch (request.icon) {
        case Icon::None:
            box.setIcon(QMessageBox::NoIcon);
            break;
        case Icon::Information:
            box.setIcon(QMessageBox::Information);
            break;
        case Icon::Exclamation:
            box.setIcon(QMessageBox::Warning);
            break;
        case Icon::Question:
            box.setIcon(QMessageBox::Question);
            break;
        case Icon::Critical:
            box.setIcon(QMessageBox::Critical);
            break;
        }
        if (request.buttons == Buttons::YesNo) {
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
            box.setDefaultButton(QMessageBox::Yes);
            // Closing the box from its frame answers No.
            box.setEscapeButton(QMessageBox::No);
            return box.exec() == QMessageBox::Yes ? Answer::Yes : Answer::No;
        }
        if (request.buttons == Buttons::YesNoCancel) {
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
            box.setDefaultButton(QMessageBox::Yes);
            // Closing the box from its frame answers Cancel.
            box.setEscapeButton(QMessageBox::Cancel);
            const int answer = box.exec();
            return answer == QMessageBox::Yes  ? Answer::Yes
                   : answer == QMessageBox::No ? Answer::No
                                               : Answer::Cancel;
        }
        box.setStandardButtons(QMessageBox::Ok);
        box.exec();
        return Answer::Ok;
    }
};

} // namespace

MessageBoxService& MessageBoxService::real() {
    static DesktopMessageBox service;
    return service;
}

Answer messageBox(const QString& title, const QString& text, Icon icon, Buttons buttons) {
    return use<MessageBoxService>().ask({title, text, icon, buttons});
}

} // namespace zemble::platform
