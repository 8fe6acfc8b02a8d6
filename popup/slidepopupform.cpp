#include "popup/slidepopupform.h"

#include "platform/platform.h"
#include "popup/popuplog.h"

#include <QCloseEvent>
#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <QTextLayout>
#include <QTimer>
#include <QToolButton>

#include <algorithm>
#include <climits>
#include <vector>

// The strip lives in this static library; its resources need a reference to be linked in.
static void InitPopupResources()
{
    Q_INIT_RESOURCE(popup);
}

namespace orvenna::popup {

namespace {

constexpr int FrameWidth = 3;       // the window's thin raised frame
constexpr int BevelWidth = 2;       // the panel's lowered bevel
constexpr int StripHeight = 3;
constexpr int TextMargin = 15;      // the message is this much narrower than the panel
constexpr int TitleTop = 8;
constexpr int TitleLeftBesideIcon = 48;
constexpr int TitleLeftAlone = 8;
constexpr int StepInterval = 25;    // ms per slide step
constexpr int ButtonHeight = 18;    // the action buttons' row
constexpr int ButtonGap = 2;
const QString StripResource = QStringLiteral(":/orvenna/popup/strip.bmp");

Qt::Alignment HorizontalAlignment(TTextAlignment alignment)
{
    switch (alignment) {
    case TTextAlignment::taLeftJustify:
        return Qt::AlignLeft;
    case TTextAlignment::taRightJustify:
        return Qt::AlignRight;
    case TTextAlignment::taCenter:
        break;
    }
    return Qt::AlignHCenter;
}

// The message broken into lines of at most width pixels (a word longer than that is broken
// too), at most maxLines of them: a longer message keeps its first lines and ends its last
// one with an ellipsis. At least one line is kept.
QString FittedLines(const QString& text, const QFont& font, int width, int maxLines)
{
    QTextLayout layout(text, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    QStringList lines;
    std::vector<int> starts;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        starts.push_back(line.textStart());
        lines << text.mid(line.textStart(), line.textLength()).trimmed();
    }
    layout.endLayout();
    const int kept = std::max(1, maxLines);
    if (lines.size() > kept) {
        const QString rest = text.mid(starts[std::size_t(kept - 1)]).simplified();
        lines = lines.mid(0, kept - 1);
        // Elided in a narrower box: the ellipsis must not fall at the last word's very edge.
        lines << QFontMetrics(font).elidedText(rest, Qt::ElideRight, width);
    }
    return lines.join(QLatin1Char('\n'));
}

void ApplyFont(QLabel* label, const TTextFont& font)
{
    label->setFont(font.Font);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, font.Color);
    label->setPalette(palette);
}

}  // namespace

TfrmSlidePopUp::TfrmSlidePopUp(TSlidePopUp& component)
    : QFrame(nullptr,
             Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus)
    , pnlBorder(new QFrame(this))
    , imgIcon(new TMouseLabel(pnlBorder))
    , lblText(new TMouseLabel(pnlBorder))
    , imgGradient(new TMouseLabel(pnlBorder))
    , tmrExit(new QTimer(this))
    , tmrScroll(new QTimer(this))
    , tmrScrollDown(new QTimer(this))
    , lblTitle(new TMouseLabel(pnlBorder))
    , PopUpComponent(&component)
{
    // A notification: no task-bar entry, never takes the focus, never ends the program.
    InitPopupResources();
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_QuitOnClose, false);
    setFocusPolicy(Qt::NoFocus);
    setFrameStyle(QFrame::Panel | QFrame::Raised);
    setLineWidth(FrameWidth);
    BuildControls();
    ConnectControls();
    CopyProperties(component);
}

TfrmSlidePopUp::~TfrmSlidePopUp() = default;

void TfrmSlidePopUp::BuildControls()
{
    pnlBorder->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    pnlBorder->setLineWidth(BevelWidth);
    // Stacking: the gradient at the bottom, then the icon's click area, the message, the title.
    imgGradient->lower();
    imgIcon->setGeometry(3, 8, 105, 105);
    lblText->setWordWrap(true);
    lblText->setGeometry(9, 49, 3, 13);
    lblTitle->move(TitleLeftBesideIcon, TitleTop);
    tmrExit->setSingleShot(true);
    tmrExit->setInterval(10000);
    tmrScroll->setInterval(StepInterval);
    tmrScrollDown->setInterval(StepInterval);
}

void TfrmSlidePopUp::ConnectControls()
{
    connect(imgGradient, &TMouseLabel::MouseUp, this, &TfrmSlidePopUp::imgGradientMouseUp);
    connect(imgIcon, &TMouseLabel::MouseUp, this, &TfrmSlidePopUp::imgIconMouseUp);
    connect(lblText, &TMouseLabel::MouseEnter, this, &TfrmSlidePopUp::lblTextMouseEnter);
    connect(lblText, &TMouseLabel::MouseLeave, this, &TfrmSlidePopUp::lblTextMouseLeave);
    connect(lblText, &TMouseLabel::Click, this, &TfrmSlidePopUp::lblTextClick);
    connect(lblText, &TMouseLabel::MouseUp, this, &TfrmSlidePopUp::lblTextMouseUp);
    connect(lblTitle, &TMouseLabel::MouseUp, this, &TfrmSlidePopUp::lblTitleMouseUp);
    connect(tmrExit, &QTimer::timeout, this, &TfrmSlidePopUp::tmrExitTimer);
    connect(tmrScroll, &QTimer::timeout, this, &TfrmSlidePopUp::tmrScrollTimer);
    connect(tmrScrollDown, &QTimer::timeout, this, &TfrmSlidePopUp::tmrscrollDownTimer);
}

void TfrmSlidePopUp::CopyProperties(const TSlidePopUp& component)
{
    TargetWidth = component.Width();
    TargetHeight = component.Height();
    Text = component.Text();
    URL = component.URL();
    Title = component.Title();
    TimeOut = component.TimeOut();
    IconBitmap = component.IconBitmap();
    IconLeft = component.IconLeft();
    IconTop = component.IconTop();
    BackgroundImage = component.BackgroundImage();
    BackgroundDrawMethod = component.BackgroundDrawMethod();
    ScrollAllowed = component.Options().testFlag(spAllowScroll);
    HyperlinkMode = component.Options().testFlag(spAllowHyperlink);
    ScrollSpeed = component.ScrollSpeed();
    Font = component.Font();
    HoverFont = component.HoverFont();
    TitleFont = component.TitleFont();
    TextCursor = component.TextCursor();
    GradientColor1 = component.GradientColor1();
    GradientColor2 = component.GradientColor2();
    GradientOrientation = component.GradientOrientation();
    Actions = component.Actions();
    FData = component.Data();
    lblText->setAlignment(HorizontalAlignment(component.TextAlignment()) | Qt::AlignVCenter);
}

void TfrmSlidePopUp::LayOutControls()
{
    // The controls keep this full-size layout, anchored at the window's top-left corner,
    // while the window itself grows and shrinks: a smaller window shows a clipped part.
    resize(TargetWidth, TargetHeight);
    pnlBorder->setGeometry(contentsRect());
    const QRect inner = pnlBorder->contentsRect();
    imgStrip = new QLabel(pnlBorder);
    imgStrip->setScaledContents(true);
    imgStrip->setGeometry(inner.left(), inner.bottom() - StripHeight + 1, inner.width(), StripHeight);
    imgGradient->setGeometry(inner.adjusted(0, 0, 0, -StripHeight));
    BuildActionButtons();
}

void TfrmSlidePopUp::BuildActionButtons()
{
    if (Actions.empty())
        return;
    const QRect inner = pnlBorder->contentsRect();
    const int count = static_cast<int>(Actions.size());
    for (int i = 0; i < count; ++i) {
        const TPopupAction& action = Actions[static_cast<std::size_t>(i)];
        auto* button = new QToolButton(pnlBorder);
        button->setText(action.Caption);
        button->setFont(Font.Font);
        button->setFocusPolicy(Qt::NoFocus);
        if (!action.Choices.isEmpty()) {
            auto* menu = new QMenu(button);
            for (int c = 0; c < action.Choices.size(); ++c) {
                QAction* item = menu->addAction(action.Choices[c]);
                connect(item, &QAction::triggered, this, [this, i, c] { ActionChosen(i, c); });
            }
            const bool withDefault =
                action.DefaultChoice >= 0 && action.DefaultChoice < action.Choices.size();
            button->setMenu(menu);
            button->setPopupMode(withDefault ? QToolButton::MenuButtonPopup
                                             : QToolButton::InstantPopup);
            if (withDefault)
                connect(button, &QToolButton::clicked, this,
                        [this, i, choice = action.DefaultChoice] { ActionChosen(i, choice); });
        } else {
            connect(button, &QToolButton::clicked, this, [this, i] { ActionChosen(i, -1); });
        }
        button->raise();
        FActionButtons.push_back(button);
    }
    // The row above the strip; a caption wider than its share (a translation) takes room from
    // the others.
    std::vector<int> needed;
    for (const QToolButton* button : FActionButtons)
        needed.push_back(button->sizeHint().width());
    const std::vector<int> widths =
        ButtonRowWidths(needed, inner.width() - ButtonGap * (count + 1));
    const int top = inner.bottom() - StripHeight - ButtonGap - ButtonHeight + 1;
    int left = inner.left() + ButtonGap;
    for (int i = 0; i < count; ++i) {
        FActionButtons[std::size_t(i)]->setGeometry(left, top, widths[std::size_t(i)], ButtonHeight);
        left += widths[std::size_t(i)] + ButtonGap;
    }
}

void TfrmSlidePopUp::ActionChosen(int action, int choice)
{
    const QPointer<TfrmSlidePopUp> self(this);
    const QPointer<TSlidePopUp> component = PopUpComponent;
    FreeOnClose = false;
    if (component) {
        if (const TActionEvent handler = component->OnAction)
            handler(this, action, choice);
    }
    if (!self)
        return;
    FreeOnClose = true;
    ClosePopUp();
}

void TfrmSlidePopUp::StartPopUp()
{
    if (!PopUpComponent)
        return;
    LayOutControls();
    lblText->setCursor(TextCursor);
    FTaskBarEdge = PopUpComponent->GetTaskBarEdge();
    FreeOnClose = true;
    const QRect full = TakeStackPlace(*PopUpComponent);
    ApplyFont(lblTitle, TitleFont);
    lblTitle->setText(Title);
    lblTitle->adjustSize();
    // What the popup says, for the window list and for assistive tools.
    setWindowTitle(Title + QLatin1Char(' ') + Text);
    PaintBackground();
    if (IconBitmap.isNull())
        lblTitle->move(TitleLeftAlone, TitleTop);
    tmrExit->setInterval(std::min(TimeOut, INT_MAX / 1000) * 1000);
    if (ScrollAllowed) {
        Place(Sliver(FTaskBarEdge, full));
        tmrScroll->start();
    } else {
        Place(full);
        StartDwell();
    }
    winId();  // the task-bar state goes onto the native window before it is mapped
    PopUpComponent->Platform.SetTaskBarPresence(this, false);
    show();
    // Laying the text out in the hover font first mirrors the hover path's own centring.
    SetTextFont(HoverFont);
    SetTextFont(Font);
}

QRect TfrmSlidePopUp::TakeStackPlace(TSlidePopUp& component)
{
    const QSize size(TargetWidth, TargetHeight);
    const QRect full(PopupPosition(FTaskBarEdge, component.Platform.WorkArea(), size,
                                   component.PopupStartX(), component.PopupStartY(),
                                   component.FCascadeOffset),
                     size);
    FStackOffset = component.FCascadeOffset;
    if (component.Options().testFlag(spCascadePopups))
        component.FCascadeOffset += TargetHeight + component.PopupMarge();
    else
        component.FCascadeOffset = 0;
    return full;
}

void TfrmSlidePopUp::PaintBackground()
{
    QImage canvas;
    if (BackgroundImage.isNull()) {
        const QPixmap strip(StripResource);
        if (strip.isNull())
            qCWarning(lcPopup) << "the strip picture" << StripResource << "is missing";
        imgStrip->setPixmap(strip);  // a missing strip stays empty
        canvas = GradientImage(imgGradient->size(), GradientColor1, GradientColor2, GradientOrientation);
    } else {
        canvas = QImage(imgGradient->size(), QImage::Format_RGB32);
        canvas.fill(Qt::white);
        DrawPicture(canvas, BackgroundImage, BackgroundDrawMethod);
    }
    if (!IconBitmap.isNull())
        QPainter(&canvas).drawImage(IconLeft, IconTop, TransparentPicture(IconBitmap));
    imgGradient->setPixmap(QPixmap::fromImage(canvas));
}

void TfrmSlidePopUp::CenterText()
{
    // The message is centred in the panel, or with a button row in the part above it; it
    // never reaches up into the title nor down into the buttons or the strip: what does not
    // fit there ends in an ellipsis.
    const int width = pnlBorder->width() - TextMargin;
    QSize area = pnlBorder->size();
    if (!FActionButtons.empty())
        area.setHeight(FActionButtons.front()->y());
    else if (imgStrip != nullptr)
        area.setHeight(imgStrip->y());
    const int top = lblTitle->text().isEmpty() ? 0 : lblTitle->geometry().bottom() + 1;
    const int lineHeight = std::max(1, lblText->fontMetrics().lineSpacing());
    lblText->setText(FittedLines(Text, lblText->font(), width, (area.height() - top) / lineHeight));
    const int height = lblText->heightForWidth(width);
    lblText->resize(width, height >= 0 ? height : lblText->sizeHint().height());
    QPoint place = CentredOffset(area, lblText->size());
    place.setY(std::max(place.y(), top));
    lblText->move(place);
}

void TfrmSlidePopUp::SetTextFont(const TTextFont& font)
{
    ApplyFont(lblText, font);
    CenterText();
}

void TfrmSlidePopUp::StartDwell()
{
    // No time-out: the popup stays until it is clicked.
    if (TimeOut > 0)
        tmrExit->start();
}

void TfrmSlidePopUp::tmrScrollTimer()
{
    if (!PopUpComponent)
        return;
    const TSlidePopUp& component = *PopUpComponent;
    const TSlideAnchor anchor{component.Platform.WorkArea(), component.PopupStartX(),
                              component.PopupStartY(), FStackOffset};
    const TSlideStep step = SlideInStep(FTaskBarEdge, Placed, QSize(TargetWidth, TargetHeight),
                                        ScrollSpeed, anchor);
    Place(step.Geometry);
    if (step.Finished) {
        tmrScroll->stop();
        StartDwell();
    }
}

void TfrmSlidePopUp::tmrExitTimer()
{
    tmrExit->stop();
    tmrScrollDown->start();
}

void TfrmSlidePopUp::tmrscrollDownTimer()
{
    const TSlideStep step = SlideOutStep(FTaskBarEdge, Placed, ScrollSpeed);
    if (step.Finished) {
        tmrScrollDown->stop();
        ClosePopUp();
        return;
    }
    Place(step.Geometry);
}

void TfrmSlidePopUp::Place(const QRect& geometry)
{
    // Each step starts from the geometry asked for, not the one reported back: a window
    // manager that moves a window while mapping it must not send the slide astray.
    Placed = geometry;
    setGeometry(geometry);
}

void TfrmSlidePopUp::closeEvent(QCloseEvent* event)
{
    // Accepted in any case: a popup must never hold up the desktop or the program's quitting.
    ClosePopUp();
    event->accept();
}

void TfrmSlidePopUp::ClosePopUp()
{
    hide();
    if (!FreeOnClose || Released)
        return;
    Released = true;
    tmrExit->stop();
    tmrScroll->stop();
    tmrScrollDown->stop();
    if (PopUpComponent)
        PopUpComponent->PopUpClosed(this);
    deleteLater();
}

void TfrmSlidePopUp::lblTextMouseEnter()
{
    if (HyperlinkMode)
        SetTextFont(HoverFont);
}

void TfrmSlidePopUp::lblTextMouseLeave()
{
    if (HyperlinkMode)
        SetTextFont(Font);
}

void TfrmSlidePopUp::lblTextClick()
{
    const QPointer<TfrmSlidePopUp> self(this);
    const QPointer<TSlidePopUp> component = PopUpComponent;
    FreeOnClose = false;
    if (component && HyperlinkMode) {
        // Copies: a handler may replace the component's handlers while it runs.
        if (const TURLEvent handler = component->OnURLClick)
            handler(this, URL);
        if (component && component->Options().testFlag(spAutoOpenURL) && !URL.isEmpty()
            && !component->Platform.OpenUrl(URL))
            qCInfo(lcPopup) << "the address" << URL << "was not opened";
    } else if (component) {
        if (const TNotifyEvent handler = component->OnClick)
            handler(this);
    }
    if (!self)
        return;
    FreeOnClose = true;
    ClosePopUp();
}

void TfrmSlidePopUp::ComponentClick()
{
    const QPointer<TfrmSlidePopUp> self(this);
    const QPointer<TSlidePopUp> component = PopUpComponent;
    if (component && component->OnClick) {
        FreeOnClose = false;
        const TNotifyEvent handler = component->OnClick;
        handler(component);
        if (!self)
            return;
        FreeOnClose = true;
    }
    ClosePopUp();
}

void TfrmSlidePopUp::lblTextMouseUp(Qt::MouseButton button)
{
    if (button == Qt::RightButton)
        ComponentClick();
}

void TfrmSlidePopUp::lblTitleMouseUp(Qt::MouseButton) { ComponentClick(); }
void TfrmSlidePopUp::imgIconMouseUp(Qt::MouseButton) { ComponentClick(); }
void TfrmSlidePopUp::imgGradientMouseUp(Qt::MouseButton) { ComponentClick(); }

}  // namespace orvenna::popup
