#pragma once
// A label that reports the mouse: entering and leaving it, a click, and every button release.

#include <QLabel>

namespace orvenna::popup {

class TMouseLabel final : public QLabel {
    Q_OBJECT
public:
    explicit TMouseLabel(QWidget* parent = nullptr);

signals:
    void MouseEnter(QObject* sender);
    void MouseLeave(QObject* sender);
    // A left button pressed and released on the label. Comes before the release's MouseUp.
    void Click();
    // Any button released after a press on the label, inside it or not.
    void MouseUp(Qt::MouseButton button);

protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
};

}  // namespace orvenna::popup
