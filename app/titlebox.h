#pragma once
// TTitleBox: the calendar's title strip, 32 pixels high across the top. It paints through the
// calendar window (weekday row and month label over the wallpaper or the title picture),
// opens the pop-up menu on a right click and, when dragging is allowed, moves the window.

#include <QWidget>

namespace orvenna::app {

class TCalendarForm;

class TTitleBox final : public QWidget {
    Q_OBJECT

public:
    explicit TTitleBox(TCalendarForm& form);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    TCalendarForm& Form;
};

}  // namespace orvenna::app
