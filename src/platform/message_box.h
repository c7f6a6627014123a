#pragma once

#include "core/text.h"

#include <QString>
#include <QStringList>

class QWidget;

namespace zemble::platform {

enum class Icon { None, Information, Exclamation, Question, Critical };
enum class Buttons { Ok, YesNo, YesNoCancel };
enum class Answer { Ok, Yes, No, Cancel };

struct MessageBoxRequest {
    QString title;
    QString text; // lines joined by CR LF
    Icon icon = Icon::None;
    Buttons buttons = Buttons::Ok;
};

// Tells the user something and waits for the answer.
class MessageBoxService {
public:
    virtual ~MessageBoxService() = default;
    virtual Answer ask(const MessageBoxRequest& request) = 0;
    static MessageBoxService& real();
};

// Joins lines with CR LF, the line break of every message text.
using zemble::crlfLines;

Answer messageBox(const QString& title, const QString& text, Icon icon,
                  Buttons buttons = Buttons::Ok);

} // namespace zemble::platform
