#pragma once

#include <QLabel>

namespace zemble {

// A one-line sample of how a message part ends.  It takes the width its
// dialog gives it rather than widening the dialog: a sample too long for it
// shows its end, the part that matters, after an ellipsis.  text() is the
// whole sample.
class SampleLabel : public QLabel {
    Q_OBJECT
public:
    explicit SampleLabel(QWidget* parent = nullptr);

    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace zemble
