#pragma once
// TfrmSlidePopUp: one popup window of a TSlidePopUp. Built in code; it lives from its
// component's ShowPopUp until it closes: slide in (with spAllowScroll), dwell TimeOut
// seconds, slide out, close. A click closes it at any time. Closing for good frees the window
// once control is back in the event loop, so a handler can never free it under itself.

#include "popup/mouselabel.h"
#include "popup/popupgeometry.h"
#include "popup/slidepopup.h"

#include <QFrame>
#include <QPointer>

class QTimer;
class QToolButton;

namespace orvenna::popup {

class TfrmSlidePopUp final : public QFrame {
    Q_OBJECT
public:
    // Builds the hidden window and takes a copy of the component's properties.
    explicit TfrmSlidePopUp(TSlidePopUp& component);
    ~TfrmSlidePopUp() override;

    // Sizes, paints, places and shows the window and starts its animation. Called once.
    void StartPopUp();
    // Lays the message out across the panel and centres it; called after a font change.
    void CenterText();

    // The controls, in their order of declaration; owned by the window.
    QFrame* const pnlBorder;
    TMouseLabel* const imgIcon;  // shows nothing; takes clicks over the icon's area
    TMouseLabel* const lblText;
    TMouseLabel* const imgGradient;
    QLabel* imgStrip = nullptr;  // created by StartPopUp; the coloured strip at the bottom
    QTimer* const tmrExit;       // the dwell, once
    QTimer* const tmrScroll;     // slide-in steps
    QTimer* const tmrScrollDown; // slide-out steps
    TMouseLabel* const lblTitle;

    TTaskBarEdge TaskBarEdge() const { return FTaskBarEdge; }
    int StackOffset() const { return FStackOffset; }
    // The component's Data when this popup was shown.
    const QVariant& Data() const { return FData; }
    // The buttons of the component's Actions, in their order; empty without actions.
    const std::vector<QToolButton*>& ActionButtons() const { return FActionButtons; }
    // Runs an action as its button would (choice as in TActionEvent) and closes the popup.
    void ActionChosen(int action, int choice);

public slots:
    // The timers' handlers; tests call them to step the animation.
    void tmrScrollTimer();
    void tmrExitTimer();
    void tmrscrollDownTimer();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    friend class TSlidePopUp;

    QPointer<TSlidePopUp> PopUpComponent;  // null once the component is gone
    int FStackOffset = 0;
    QRect Placed;  // the geometry this window last asked for
    // False only while an application handler runs from a click: a close request it makes
    // then only hides the window, and the click closes it for good afterwards.
    bool FreeOnClose = true;
    bool Released = false;  // closed for good; further close requests do nothing
    TSlideImageDrawMethod BackgroundDrawMethod = TSlideImageDrawMethod::dmActualSize;
    QString URL;
    QString Text;
    QString Title;
    int TimeOut = 10;
    QImage IconBitmap;
    int IconLeft = 8;
    int IconTop = 8;
    QImage BackgroundImage;
    int TargetWidth = 148;
    int TargetHeight = 121;
    bool ScrollAllowed = true;
    bool HyperlinkMode = true;
    QColor GradientColor1;
    QColor GradientColor2;
    TOrientation GradientOrientation = TOrientation::mbVertical;
    int ScrollSpeed = 9;
    TTextFont Font;
    TTextFont HoverFont;
    TTextFont TitleFont;
    TTaskBarEdge FTaskBarEdge = TTaskBarEdge::Bottom;
    Qt::CursorShape TextCursor = Qt::ArrowCursor;
    std::vector<TPopupAction> Actions;
    QVariant FData;
    std::vector<QToolButton*> FActionButtons;

    void BuildControls();
    void ConnectControls();
    void CopyProperties(const TSlidePopUp& component);
    void LayOutControls();
    // The action buttons in a row above the strip; the message area ends above them.
    void BuildActionButtons();
    // The full-size geometry at the component's next stack place; moves the stack on.
    QRect TakeStackPlace(TSlidePopUp& component);
    void PaintBackground();
    void StartDwell();
    void Place(const QRect& geometry);
    // Hides the window, and while FreeOnClose holds also frees it (once) and tells the
    // component; every close request, from a click, a timer or the desktop, comes here.
    void ClosePopUp();
    void SetTextFont(const TTextFont& font);
    // A click whose Sender is the component: title, icon, background, right click on text.
    void ComponentClick();

    void lblTextMouseEnter();
    void lblTextMouseLeave();
    void lblTextClick();
    void lblTextMouseUp(Qt::MouseButton button);
    void lblTitleMouseUp(Qt::MouseButton button);
    void imgIconMouseUp(Qt::MouseButton button);
    void imgGradientMouseUp(Qt::MouseButton button);
};

}  // namespace orvenna::popup
