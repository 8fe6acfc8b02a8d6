#pragma once
// TSlidePopUp: a general notification component. Every ShowPopUp opens one small window
// (TfrmSlidePopUp) that slides out of the screen edge next to the task bar, stays TimeOut
// seconds and slides back; several open popups stack away from the task bar. The component
// knows nothing of what it announces. GUI thread only.

#include "popup/popupgeometry.h"

#include <QColor>
#include <QFlags>
#include <QFont>
#include <QObject>
#include <QImage>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>
#include <vector>

namespace orvenna::platform {
class TPlatform;
}

namespace orvenna::popup {

class TfrmSlidePopUp;

enum TSlidePopupOption {
    spAutoOpenURL = 0x01,     // after a link click, hand a non-empty URL to the desktop
    spSystemFont = 0x02,      // kept for stored option sets; nothing attaches to it
    spCascadePopups = 0x04,   // each new popup stacks above the open ones
    spAllowScroll = 0x08,     // slide in from a 1-pixel sliver instead of appearing at once
    spAllowHyperlink = 0x10,  // the message is a link: hover font, click raises OnURLClick
};
Q_DECLARE_FLAGS(TSlidePopupOptions, TSlidePopupOption)

enum class TTextAlignment { taLeftJustify, taRightJustify, taCenter };
// Which monitor a popup window would prefer; copied into every window, unused in placement.
enum class TDefaultMonitor { dmDesktop, dmPrimary, dmMainForm, dmActiveForm };

// A font together with its colour, as the popup's texts use them.
struct TTextFont {
    QFont Font;
    QColor Color;
    bool operator==(const TTextFont&) const = default;
};

using TNotifyEvent = std::function<void(QObject* sender)>;
using TURLEvent = std::function<void(QObject* sender, const QString& url)>;

// A button in a row along the popup's bottom edge. Without choices its click is the action.
// With choices the button offers them in a list; when DefaultChoice names one of them, the
// button's own face gives that choice and a small arrow beside it opens the list.
struct TPopupAction {
    QString Caption;
    QStringList Choices;
    int DefaultChoice = -1;
};
// An action button was used on a popup: choice is the index picked from its list, or
// DefaultChoice for the face of a button with a default, or -1 for a button without choices.
// The popup closes afterwards.
using TActionEvent = std::function<void(TfrmSlidePopUp* popup, int action, int choice)>;

class TSlidePopUp final : public QObject {
    Q_OBJECT
public:
    static constexpr int MinScrollSpeed = 1;
    static constexpr int MaxScrollSpeed = 50;

    // owner: the QObject parent. platform must outlive the component. The popup windows are
    // top-level windows of their own; those still open are freed with the component.
    TSlidePopUp(platform::TPlatform& platform, QObject* owner = nullptr);
    ~TSlidePopUp() override;

    // Opens one popup with the current property values. False, with nothing shown, when the
    // open stack leaves no room for another popup inside the work area.
    bool ShowPopUp();
    // The edge of the task bar now; a screen without one counts as a bottom task bar.
    TTaskBarEdge GetTaskBarEdge() const;

    // Sender is the popup window for a left click on the message, the component for a click
    // on the title, icon or background or a right click on the message.
    void SetOnClick(TNotifyEvent handler) { OnClick = std::move(handler); }
    // A left click on the message in hyperlink mode; Sender is the popup window.
    void SetOnURLClick(TURLEvent handler) { OnURLClick = std::move(handler); }
    void SetOnAction(TActionEvent handler) { OnAction = std::move(handler); }

    // ---- properties (copied into each popup when it is shown) ----------------------------
    QString Text() const { return FText; }
    void SetText(const QString& text) { FText = text; }
    QString URL() const { return FURL; }
    void SetURL(const QString& url) { FURL = url; }
    QString Title() const { return FTitle; }
    void SetTitle(const QString& title) { FTitle = title; }
    // Painted onto the background at (IconLeft, IconTop); a null image paints nothing.
    const QImage& IconBitmap() const { return FIconBitmap; }
    void SetIconBitmap(const QImage& icon) { FIconBitmap = icon; }
    int IconLeft() const { return FIconLeft; }
    void SetIconLeft(int left) { FIconLeft = left; }
    int IconTop() const { return FIconTop; }
    void SetIconTop(int top) { FIconTop = top; }
    // Seconds at full size before the slide-out; 0 or less: until clicked.
    int TimeOut() const { return FTimeOut; }
    void SetTimeOut(int seconds) { FTimeOut = seconds; }
    int Width() const { return FWidth; }
    void SetWidth(int width) { FWidth = width; }
    int Height() const { return FHeight; }
    void SetHeight(int height) { FHeight = height; }
    QColor GradientColor1() const { return FGradientColor1; }
    void SetGradientColor1(const QColor& colour) { FGradientColor1 = colour; }
    QColor GradientColor2() const { return FGradientColor2; }
    void SetGradientColor2(const QColor& colour) { FGradientColor2 = colour; }
    TOrientation GradientOrientation() const { return FGradientOrientation; }
    void SetGradientOrientation(TOrientation orientation) { FGradientOrientation = orientation; }
    // Pixels per 25 ms animation step, kept within MinScrollSpeed..MaxScrollSpeed.
    int ScrollSpeed() const { return FScrollSpeed; }
    void SetScrollSpeed(int speed);
    const TTextFont& Font() const { return FFont; }
    void SetFont(const TTextFont& font) { FFont = font; }
    const TTextFont& HoverFont() const { return FHoverFont; }
    void SetHoverFont(const TTextFont& font) { FHoverFont = font; }
    const TTextFont& TitleFont() const { return FTitleFont; }
    void SetTitleFont(const TTextFont& font) { FTitleFont = font; }
    TSlidePopupOptions Options() const { return FOptions; }
    void SetOptions(TSlidePopupOptions options) { FOptions = options; }
    TTextAlignment TextAlignment() const { return FTextAlignment; }
    void SetTextAlignment(TTextAlignment alignment) { FTextAlignment = alignment; }
    TSlideImageDrawMethod BackgroundDrawMethod() const { return FBackgroundDrawMethod; }
    void SetBackgroundDrawMethod(TSlideImageDrawMethod method) { FBackgroundDrawMethod = method; }
    Qt::CursorShape TextCursor() const { return FTextCursor; }
    void SetTextCursor(Qt::CursorShape cursor) { FTextCursor = cursor; }
    // Gap between stacked popups, pixels.
    int PopupMarge() const { return FPopupMarge; }
    void SetPopupMarge(int marge) { FPopupMarge = marge; }
    // Distance from the work area's side edge and from its top or bottom edge, pixels.
    int PopupStartX() const { return FPopupStartX; }
    void SetPopupStartX(int x) { FPopupStartX = x; }
    int PopupStartY() const { return FPopupStartY; }
    void SetPopupStartY(int y) { FPopupStartY = y; }
    TDefaultMonitor DefaultMonitor() const { return FDefaultMonitor; }
    void SetDefaultMonitor(TDefaultMonitor monitor) { FDefaultMonitor = monitor; }
    // The buttons of the next popups, left to right; none: the popup has no button row and
    // its message is centred in the whole panel.
    const std::vector<TPopupAction>& Actions() const { return FActions; }
    void SetActions(std::vector<TPopupAction> actions) { FActions = std::move(actions); }
    // Anything the owner wants back from a popup (TfrmSlidePopUp::Data()).
    const QVariant& Data() const { return FData; }
    void SetData(const QVariant& data) { FData = data; }
    // Used instead of the gradient when not null.
    const QImage& BackgroundImage() const { return FBackgroundImage; }
    void SetBackgroundImage(const QImage& image) { FBackgroundImage = image; }

    // Popups shown and not yet closed, and the stacking offset the next one gets.
    int PopupCount() const { return FPopupCount; }
    int CascadeOffset() const { return FCascadeOffset; }

private:
    friend class TfrmSlidePopUp;  // the window reports its placement, clicks and closing

    platform::TPlatform& Platform;
    QString FText = QStringLiteral("text");
    // No address by default: a click on a popup opens a web page only when asked to.
    QString FURL;
    QString FTitle = QStringLiteral("title");
    QImage FIconBitmap;
    int FIconLeft = 8;
    int FIconTop = 8;
    int FTimeOut = 10;
    int FWidth = 148;
    int FHeight = 121;
    QColor FGradientColor1 = QColor(0x99, 0xCC, 0xFF);
    QColor FGradientColor2 = QColor(0xFF, 0xFF, 0xFF);
    TOrientation FGradientOrientation = TOrientation::mbVertical;
    int FScrollSpeed = 9;
    TTextFont FFont = PlainFont();
    TTextFont FHoverFont = LinkFont();
    TTextFont FTitleFont = HeadingFont();
    TSlidePopupOptions FOptions{spAutoOpenURL, spCascadePopups, spAllowScroll, spAllowHyperlink};
    TTextAlignment FTextAlignment = TTextAlignment::taCenter;
    TSlideImageDrawMethod FBackgroundDrawMethod = TSlideImageDrawMethod::dmActualSize;
    Qt::CursorShape FTextCursor = Qt::ArrowCursor;
    int FPopupMarge = 2;
    int FPopupStartX = 16;
    int FPopupStartY = 2;
    TDefaultMonitor FDefaultMonitor = TDefaultMonitor::dmDesktop;
    QImage FBackgroundImage;
    std::vector<TPopupAction> FActions;
    QVariant FData;
    TNotifyEvent OnClick;
    TURLEvent OnURLClick;
    TActionEvent OnAction;

    int FPopupCount = 0;
    int FCascadeOffset = 0;
    TTaskBarEdge LastTaskBarEdge = TTaskBarEdge::Left;
    std::vector<QPointer<TfrmSlidePopUp>> OpenPopups;

    static TTextFont PlainFont();    // the application font in the window-text colour
    static TTextFont LinkFont();     // the same, blue and underlined
    static TTextFont HeadingFont();  // the same, bold

    // Called by a window that closes for good.
    void PopUpClosed(TfrmSlidePopUp* popup);
};

}  // namespace orvenna::popup

Q_DECLARE_OPERATORS_FOR_FLAGS(orvenna::popup::TSlidePopupOptions)
