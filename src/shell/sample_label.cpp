#include "shell/sample_label.h"

#include <QPainter>
#include <QStyle>

namespace zemble {

SampleLabel::SampleLabel(QWidget* parent) : QLabel(parent) {
    setTextFormat(Qt::PlainText);
    setSizePolicy(QSizePolicy::Ignored, sizePolicy().verticalPolicy());
}

QSize SampleLabel::minimumSizeHint() const {
    return {0, QLabel::minimumSizeHint().height()};
}

void SampleLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect area = contentsRect();
    const QString shown = fontMetrics().elidedText(text(), Qt::ElideLeft, area.width());
    style()->drawItemText(&painter, area, int(alignment()), palette(), isEnabled(), shown,
                          foregroundRole());
}

} // namespace zemble
