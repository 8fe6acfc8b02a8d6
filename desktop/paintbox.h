#pragma once
// TPaintBox: a plain area of a window that its owner draws, through the function it is given.

#include <QPainter>
#include <QWidget>

#include <functional>
#include <utility>

namespace orvenna::desktop {

class TPaintBox final : public QWidget {
public:
    TPaintBox(QWidget* parent, std::function<void(QPainter&)> paint)
        : QWidget(parent), Paint(std::move(paint))
    {
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        Paint(painter);
    }

private:
    std::function<void(QPainter&)> Paint;
};

}  // namespace orvenna::desktop
