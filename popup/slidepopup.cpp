#include "popup/slidepopup.h"

#include "platform/platform.h"
#include "popup/popuplog.h"
#include "popup/slidepopupform.h"

#include <QGuiApplication>
#include <QPalette>

#include <algorithm>

namespace orvenna::popup {

TSlidePopUp::TSlidePopUp(platform::TPlatform& platform, QObject* owner)
    : QObject(owner), Platform(platform)
{
}

TSlidePopUp::~TSlidePopUp()
{
    for (const QPointer<TfrmSlidePopUp>& popup : OpenPopups) {
        if (!popup)
            continue;
        popup->PopUpComponent = nullptr;
        // A popup whose click handler is running (and may have deleted this component) is
        // still on the call stack: let the event loop free it.
        if (popup->FreeOnClose)
            delete popup.data();
        else {
            popup->hide();
            popup->deleteLater();
        }
    }
}

TTextFont TSlidePopUp::PlainFont()
{
    return {QGuiApplication::font(), QGuiApplication::palette().color(QPalette::WindowText)};
}

TTextFont TSlidePopUp::LinkFont()
{
    TTextFont font = PlainFont();
    font.Font.setUnderline(true);
    font.Color = QColor(0, 0, 0xFF);
    return font;
}

TTextFont TSlidePopUp::HeadingFont()
{
    TTextFont font = PlainFont();
    font.Font.setBold(true);
    return font;
}

void TSlidePopUp::SetScrollSpeed(int speed)
{
    FScrollSpeed = std::clamp(speed, MinScrollSpeed, MaxScrollSpeed);
}

TTaskBarEdge TSlidePopUp::GetTaskBarEdge() const
{
    return TaskBarEdgeOf(Platform.TaskBarRect());
}

bool TSlidePopUp::ShowPopUp()
{
    const TTaskBarEdge edge = GetTaskBarEdge();
    if (edge != LastTaskBarEdge) {
        // A stack at another edge starts afresh; the old popups close uncounted.
        LastTaskBarEdge = edge;
        FPopupCount = 0;
    }
    if (FPopupCount < 1)
        FCascadeOffset = 0;
    else if (!HasRoom(edge, Platform.WorkArea(), FCascadeOffset, FHeight, FPopupStartY)) {
        qCDebug(lcPopup) << "no room for another popup at the task-bar edge";
        return false;
    }
    ++FPopupCount;
    std::erase_if(OpenPopups, [](const QPointer<TfrmSlidePopUp>& popup) { return popup.isNull(); });
    auto* popup = new TfrmSlidePopUp(*this);
    OpenPopups.emplace_back(popup);
    popup->StartPopUp();
    return true;
}

void TSlidePopUp::PopUpClosed(TfrmSlidePopUp* popup)
{
    if (FPopupCount > 0)
        --FPopupCount;
    std::erase(OpenPopups, QPointer<TfrmSlidePopUp>(popup));
}

}  // namespace orvenna::popup
