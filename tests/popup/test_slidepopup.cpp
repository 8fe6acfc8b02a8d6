// The popup component and its windows on the fake platform: stacking, animation, clicks.

#include "platform/fake/fakeplatform.h"
#include "popup/slidepopup.h"
#include "popup/slidepopupform.h"

#include <QApplication>
#include <QEnterEvent>
#include <QTest>
#include <QMenu>
#include <QTimer>
#include <QToolButton>

#include <memory>

using namespace orvenna::popup;
using orvenna::platform::TFakePlatform;

namespace {

QList<TfrmSlidePopUp*> OpenPopups()
{
    QList<TfrmSlidePopUp*> result;
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* popup = qobject_cast<TfrmSlidePopUp*>(widget))
            result << popup;
    return result;
}

// Shows one popup and returns its window.
TfrmSlidePopUp* Show(TSlidePopUp& component)
{
    const QList<TfrmSlidePopUp*> before = OpenPopups();
    if (!component.ShowPopUp())
        return nullptr;
    for (TfrmSlidePopUp* popup : OpenPopups())
        if (!before.contains(popup))
            return popup;
    return nullptr;
}

// Steps the slide-in to its end; returns the number of steps.
int SlideIn(TfrmSlidePopUp* popup)
{
    int steps = 0;
    while (popup->tmrScroll->isActive() && steps < 1000) {
        popup->tmrScrollTimer();
        ++steps;
    }
    return steps;
}

// Steps the slide-out until the window closes; returns the number of steps.
int SlideOut(TfrmSlidePopUp* popup)
{
    popup->tmrExitTimer();
    int steps = 0;
    while (popup->isVisible() && steps < 1000) {
        popup->tmrscrollDownTimer();
        ++steps;
    }
    return steps;
}

void Click(QWidget* widget, Qt::MouseButton button, QPoint at = QPoint(1, 1))
{
    QTest::mouseClick(widget, button, Qt::NoModifier, at);
}

}  // namespace

class TSlidePopUpTest final : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void BottomStackReturnsToBaseWhenAllClosed();
    void TopAndLeftTaskBars();
    void SixPopupsFitASeventhDoesNot();
    void WithoutCascadeEveryPopupSitsAtTheBase();
    void NewEdgeStartsANewStack();
    void SlideSteps_data();
    void SlideSteps();
    void NoTimeOutStaysUntilClicked();
    void WithoutScrollingAppearsAtOnceAndStillLeaves();
    void RunsItsCourseOnRealTimers();
    void LeftClickOnMessage_data();
    void LeftClickOnMessage();
    void OtherClicksComeFromTheComponent_data();
    void OtherClicksComeFromTheComponent();
    void ClicksThatDoNothing();
    void HandlerClosingOrDeletingIsSafe();
    void HoverFontOnlyInHyperlinkMode();
    void TitleOffsetFollowsTheIcon();
    void LayoutOfTextAndStrip();
    void MessageStaysBelowTheTitle_data();
    void MessageStaysBelowTheTitle();
    void AmpersandShowsAsItself();
    void ComponentTakesItsPopupsAlong();
    void ActionButtons_data();
    void ActionButtons();

private:
    std::unique_ptr<TFakePlatform> Platform;
    std::unique_ptr<TSlidePopUp> Alert;
};

void TSlidePopUpTest::init()
{
    Platform = std::make_unique<TFakePlatform>();  // 1024 x 768, bottom panel, work area to 738
    Alert = std::make_unique<TSlidePopUp>(*Platform);
}

void TSlidePopUpTest::cleanup()
{
    Alert.reset();
    QTRY_VERIFY(OpenPopups().isEmpty());
    Platform.reset();
}

void TSlidePopUpTest::BottomStackReturnsToBaseWhenAllClosed()
{
    TfrmSlidePopUp* first = Show(*Alert);
    QVERIFY(first);
    QCOMPARE(first->geometry(), QRect(860, 738 - 2 - 1, 148, 1));  // the sliver at the base
    QVERIFY(first->isVisible());
    QCOMPARE(Platform->TaskBarRequests.size(), std::size_t(1));
    QCOMPARE(Platform->TaskBarRequests.front(), std::make_pair(static_cast<QWidget*>(first), false));
    SlideIn(first);
    QCOMPARE(first->geometry(), QRect(1024 - 148 - 16, 738 - 2 - 121, 148, 121));
    TfrmSlidePopUp* second = Show(*Alert);
    SlideIn(second);
    QCOMPARE(second->geometry(), first->geometry().translated(0, -123));

    first->close();
    second->close();
    QTRY_VERIFY(OpenPopups().isEmpty());
    QCOMPARE(Alert->PopupCount(), 0);
    TfrmSlidePopUp* third = Show(*Alert);
    SlideIn(third);
    QCOMPARE(third->geometry(), QRect(860, 615, 148, 121));
}

void TSlidePopUpTest::TopAndLeftTaskBars()
{
    Platform->TaskBar = QRect(0, 0, 1024, 30);
    Platform->Work = QRect(0, 30, 1024, 738);
    TfrmSlidePopUp* top = Show(*Alert);
    QCOMPARE(top->geometry(), QRect(860, 32, 148, 1));
    SlideIn(top);
    QCOMPARE(top->geometry(), QRect(860, 32, 148, 121));
    TfrmSlidePopUp* lower = Show(*Alert);
    SlideIn(lower);
    QCOMPARE(lower->pos(), QPoint(860, 32 + 123));

    Platform->TaskBar = QRect(0, 0, 48, 768);
    Platform->Work = QRect(48, 0, 976, 768);
    TfrmSlidePopUp* left = Show(*Alert);
    QCOMPARE(left->geometry(), QRect(64, 768 - 123, 1, 121));
    left->tmrScrollTimer();
    QCOMPARE(left->geometry(), QRect(64, 645, 10, 121));
    SlideIn(left);
    QCOMPARE(left->geometry(), QRect(64, 645, 148, 121));
}

void TSlidePopUpTest::SixPopupsFitASeventhDoesNot()
{
    for (int i = 0; i < 6; ++i) {
        TfrmSlidePopUp* popup = Show(*Alert);
        QVERIFY(popup);
        QCOMPARE(popup->StackOffset(), 123 * i);
    }
    QVERIFY(!Alert->ShowPopUp());
    QCOMPARE(OpenPopups().size(), 6);
    QCOMPARE(Alert->PopupCount(), 6);
}

void TSlidePopUpTest::WithoutCascadeEveryPopupSitsAtTheBase()
{
    Alert->SetOptions(Alert->Options() & ~TSlidePopupOptions(spCascadePopups));
    for (int i = 0; i < 8; ++i) {
        TfrmSlidePopUp* popup = Show(*Alert);
        QVERIFY(popup);
        SlideIn(popup);
        QCOMPARE(popup->geometry(), QRect(860, 615, 148, 121));
    }
}

void TSlidePopUpTest::NewEdgeStartsANewStack()
{
    Show(*Alert);
    Show(*Alert);
    Platform->TaskBar = QRect(0, 0, 1024, 30);
    Platform->Work = QRect(0, 30, 1024, 738);
    TfrmSlidePopUp* top = Show(*Alert);
    QCOMPARE(top->StackOffset(), 0);
    QCOMPARE(Alert->PopupCount(), 1);
    OpenPopups().first()->close();
    OpenPopups().last()->close();
    QTRY_COMPARE(OpenPopups().size(), 1);
    QCOMPARE(Alert->PopupCount(), 0);  // never below zero
}

void TSlidePopUpTest::SlideSteps_data()
{
    QTest::addColumn<int>("speed");
    QTest::addColumn<int>("steps");
    QTest::newRow("speed 9") << 9 << 14;
    QTest::newRow("speed 50") << 50 << 3;
}

void TSlidePopUpTest::SlideSteps()
{
    QFETCH(int, speed);
    QFETCH(int, steps);
    Alert->SetScrollSpeed(speed);
    TfrmSlidePopUp* popup = Show(*Alert);
    QVERIFY(popup->tmrScroll->isActive());
    QCOMPARE(popup->tmrScroll->interval(), 25);
    QVERIFY(!popup->tmrExit->isActive());
    QCOMPARE(SlideIn(popup), steps);
    QVERIFY(popup->tmrExit->isActive());
    QCOMPARE(popup->tmrExit->interval(), 10000);
    const QPointer<TfrmSlidePopUp> watch(popup);
    QCOMPARE(SlideOut(popup), steps);
    QTRY_VERIFY(watch.isNull());
    QCOMPARE(Alert->PopupCount(), 0);
}

void TSlidePopUpTest::NoTimeOutStaysUntilClicked()
{
    Alert->SetTimeOut(0);
    Alert->SetScrollSpeed(50);
    TfrmSlidePopUp* popup = Show(*Alert);
    QTRY_VERIFY(!popup->tmrScroll->isActive());  // the real slide-in timer ran to its end
    QCOMPARE(popup->geometry().height(), 121);
    QVERIFY(!popup->tmrExit->isActive());
    QVERIFY(!popup->tmrScrollDown->isActive());
    QVERIFY(popup->isVisible());
    const QPointer<TfrmSlidePopUp> watch(popup);
    Click(popup->lblTitle, Qt::LeftButton);
    QTRY_VERIFY(watch.isNull());
}

void TSlidePopUpTest::WithoutScrollingAppearsAtOnceAndStillLeaves()
{
    Alert->SetOptions(Alert->Options() & ~TSlidePopupOptions(spAllowScroll));
    TfrmSlidePopUp* popup = Show(*Alert);
    QCOMPARE(popup->geometry(), QRect(860, 615, 148, 121));
    QVERIFY(!popup->tmrScroll->isActive());
    QVERIFY(popup->tmrExit->isActive());
    QCOMPARE(SlideOut(popup), 14);
}

void TSlidePopUpTest::RunsItsCourseOnRealTimers()
{
    Alert->SetTimeOut(1);
    Alert->SetScrollSpeed(50);
    const QPointer<TfrmSlidePopUp> popup(Show(*Alert));
    QTRY_VERIFY(popup && popup->tmrExit->isActive());
    QTRY_VERIFY_WITH_TIMEOUT(popup.isNull(), 5000);
    QCOMPARE(Alert->PopupCount(), 0);
}

void TSlidePopUpTest::LeftClickOnMessage_data()
{
    QTest::addColumn<bool>("hyperlink");
    QTest::addColumn<QString>("url");
    QTest::addColumn<QString>("event");
    QTest::addColumn<QStringList>("opened");
    QTest::newRow("link without address") << true << QString() << "url:" << QStringList();
    QTest::newRow("link with address") << true << "https://example.org/" << "url:https://example.org/"
                                       << QStringList{"https://example.org/"};
    QTest::newRow("plain message") << false << "https://example.org/" << "click" << QStringList();
}

void TSlidePopUpTest::LeftClickOnMessage()
{
    QFETCH(bool, hyperlink);
    QFETCH(QString, url);
    QFETCH(QString, event);
    QFETCH(QStringList, opened);
    Alert->SetURL(url);
    if (!hyperlink)
        Alert->SetOptions(Alert->Options() & ~TSlidePopupOptions(spAllowHyperlink));
    QString raised;
    QObject* sender = nullptr;
    Alert->SetOnClick([&](QObject* s) { raised = "click"; sender = s; });
    Alert->SetOnURLClick([&](QObject* s, const QString& u) { raised = "url:" + u; sender = s; });
    TfrmSlidePopUp* popup = Show(*Alert);
    SlideIn(popup);
    const QPointer<TfrmSlidePopUp> watch(popup);
    Click(popup->lblText, Qt::LeftButton);
    QCOMPARE(raised, event);
    QCOMPARE(sender, popup);
    QCOMPARE(Platform->OpenedUrls, opened);
    QTRY_VERIFY(watch.isNull());
    QCOMPARE(Alert->PopupCount(), 0);
}

void TSlidePopUpTest::OtherClicksComeFromTheComponent_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<Qt::MouseButton>("button");
    QTest::newRow("right on message") << "text" << Qt::RightButton;
    QTest::newRow("middle on title") << "title" << Qt::MiddleButton;
    QTest::newRow("left on title") << "title" << Qt::LeftButton;
    QTest::newRow("right on icon area") << "icon" << Qt::RightButton;
    QTest::newRow("left on background") << "gradient" << Qt::LeftButton;
}

void TSlidePopUpTest::OtherClicksComeFromTheComponent()
{
    QFETCH(QString, target);
    QFETCH(Qt::MouseButton, button);
    for (const bool assigned : {true, false}) {
        QObject* sender = nullptr;
        int urlClicks = 0;
        Alert->SetOnClick(assigned ? TNotifyEvent([&](QObject* s) { sender = s; }) : nullptr);
        Alert->SetOnURLClick([&](QObject*, const QString&) { ++urlClicks; });
        TfrmSlidePopUp* popup = Show(*Alert);
        SlideIn(popup);
        QWidget* widgets[] = {popup->lblText, popup->lblTitle, popup->imgIcon, popup->imgGradient};
        const QStringList names{"text", "title", "icon", "gradient"};
        const QPointer<TfrmSlidePopUp> watch(popup);
        Click(widgets[names.indexOf(target)], button);
        QCOMPARE(sender, assigned ? Alert.get() : nullptr);
        QCOMPARE(urlClicks, 0);
        QTRY_VERIFY(watch.isNull());
    }
}

void TSlidePopUpTest::ClicksThatDoNothing()
{
    int events = 0;
    Alert->SetOnClick([&](QObject*) { ++events; });
    TfrmSlidePopUp* popup = Show(*Alert);
    SlideIn(popup);
    Click(popup->lblText, Qt::MiddleButton);
    QVERIFY(popup->imgStrip);
    QCOMPARE(popup->imgStrip->height(), 3);
    Click(popup->imgStrip, Qt::LeftButton);
    Click(popup->imgStrip, Qt::RightButton);
    QCoreApplication::processEvents();
    QCOMPARE(events, 0);
    QVERIFY(popup->isVisible());
    QCOMPARE(OpenPopups().size(), 1);
}

void TSlidePopUpTest::HandlerClosingOrDeletingIsSafe()
{
    // A handler that closes the popup only hides it; the click then frees it, counted once.
    Alert->SetOnURLClick([](QObject* sender, const QString&) {
        static_cast<QWidget*>(sender)->close();
        static_cast<QWidget*>(sender)->close();
    });
    Show(*Alert);
    TfrmSlidePopUp* popup = Show(*Alert);
    const QPointer<TfrmSlidePopUp> watch(popup);
    Click(popup->lblText, Qt::LeftButton);
    QTRY_VERIFY(watch.isNull());
    QCOMPARE(Alert->PopupCount(), 1);

    // A handler that deletes the component itself.
    Alert->SetOnClick([this](QObject*) { Alert.reset(); });
    TfrmSlidePopUp* last = OpenPopups().first();
    Click(last->lblTitle, Qt::RightButton);
    QVERIFY(!Alert);
    QTRY_VERIFY(OpenPopups().isEmpty());
}

void TSlidePopUpTest::HoverFontOnlyInHyperlinkMode()
{
    for (const bool hyperlink : {true, false}) {
        if (!hyperlink)
            Alert->SetOptions(Alert->Options() & ~TSlidePopupOptions(spAllowHyperlink));
        TfrmSlidePopUp* popup = Show(*Alert);
        QVERIFY(!popup->lblText->font().underline());
        QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), QPointF(2, 2));
        QCoreApplication::sendEvent(popup->lblText, &enter);
        QCOMPARE(popup->lblText->font().underline(), hyperlink);
        QCOMPARE(popup->lblText->palette().color(QPalette::WindowText),
                 hyperlink ? QColor(Qt::blue) : Alert->Font().Color);
        QEvent leave(QEvent::Leave);
        QCoreApplication::sendEvent(popup->lblText, &leave);
        QVERIFY(!popup->lblText->font().underline());
        popup->close();
    }
}

void TSlidePopUpTest::TitleOffsetFollowsTheIcon()
{
    TfrmSlidePopUp* plain = Show(*Alert);
    QCOMPARE(plain->lblTitle->pos(), QPoint(8, 8));
    QVERIFY(plain->lblTitle->font().bold());

    QImage icon(16, 16, QImage::Format_RGB32);
    icon.fill(Qt::white);  // the corner colour: see-through
    icon.setPixelColor(5, 5, Qt::red);
    Alert->SetIconBitmap(icon);
    Alert->SetIconLeft(10);
    Alert->SetIconTop(12);
    TfrmSlidePopUp* withIcon = Show(*Alert);
    QCOMPARE(withIcon->lblTitle->pos(), QPoint(48, 8));
    const QImage background = withIcon->imgGradient->pixmap().toImage();
    QCOMPARE(background.pixelColor(15, 17), QColor(Qt::red));
    QCOMPARE(background.pixelColor(10, 12), background.pixelColor(9, 12));  // gradient shows through
}

void TSlidePopUpTest::LayoutOfTextAndStrip()
{
    Alert->SetText("A reminder with a few words that wrap over several lines");
    TfrmSlidePopUp* popup = Show(*Alert);
    const QRect panel = popup->pnlBorder->geometry();
    QCOMPARE(panel, QRect(3, 3, 142, 115));  // inside the window's thin frame
    QCOMPARE(popup->lblText->width(), 142 - 15);
    QCOMPARE(popup->lblText->x(), 8);  // 7.5, the tie rounded to even
    QVERIFY(popup->lblText->height() > popup->lblText->fontMetrics().height());  // wrapped
    QCOMPARE(popup->lblText->text().replace('\n', ' '), Alert->Text());

    const QImage strip = popup->imgStrip->pixmap().toImage();
    QCOMPARE(strip.size(), QSize(138, 3));
    struct TSample { int X, Y; QRgb Colour; };
    for (const TSample& s : {TSample{0, 0, 0xFFFF33}, TSample{71, 1, 0xFBDA30}, TSample{72, 2, 0xCC0000},
                             TSample{93, 0, 0xF7A310}, TSample{94, 1, 0x3366CC}, TSample{115, 2, 0x2B2990},
                             TSample{116, 0, 0x99CC99}, TSample{137, 2, 0x0F8D30}})
        QCOMPARE(strip.pixel(s.X, s.Y) & 0xFFFFFF, s.Colour);
    const QRect inner = popup->pnlBorder->contentsRect();
    QCOMPARE(popup->imgStrip->geometry(), QRect(inner.left(), inner.bottom() - 2, inner.width(), 3));
    QCOMPARE(popup->imgGradient->geometry().bottom(), inner.bottom() - 3);
}

// However long the message, it stays between the title and the buttons (or the strip), inside
// the panel; one too long for that ends in an ellipsis, one that fits is shown whole.
void TSlidePopUpTest::MessageStaysBelowTheTitle_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("withButtons");
    QTest::addColumn<bool>("whole");
    const QString longText = QStringLiteral(
        "Collect the repaired bicycle from the shop on the corner of Mill Street and pay the "
        "invoice that came last week, then ring the insurance about the claim form");
    QTest::newRow("short, buttons") << QStringLiteral("Tea") << true << true;
    QTest::newRow("long, buttons") << longText << true << false;
    QTest::newRow("long, no buttons") << longText << false << false;
    QTest::newRow("one long word") << QString(80, QLatin1Char('W')) << true << false;
}

void TSlidePopUpTest::MessageStaysBelowTheTitle()
{
    QFETCH(QString, text);
    QFETCH(bool, withButtons);
    QFETCH(bool, whole);
    Alert->SetTitle("Reminder:");
    Alert->SetText(text);
    if (withButtons)
        Alert->SetActions({{"Snooze", {}, -1}, {"Dismiss", {}, -1}});
    TfrmSlidePopUp* popup = Show(*Alert);
    const QRect message = popup->lblText->geometry();
    QVERIFY(message.top() > popup->lblTitle->geometry().bottom());
    const int floor = withButtons ? popup->ActionButtons().front()->geometry().top()
                                  : popup->imgStrip->geometry().top();
    QVERIFY(message.bottom() < floor);
    QVERIFY(popup->pnlBorder->contentsRect().contains(message));
    const QString shown = popup->lblText->text();
    QCOMPARE(shown.endsWith(QChar(0x2026)), !whole);
    // Every line it shows fits the label's width: nothing is cut at the side.
    for (const QString& line : shown.split('\n'))
        QVERIFY2(popup->lblText->fontMetrics().horizontalAdvance(line) <= message.width(),
                 qPrintable(line));
}

void TSlidePopUpTest::AmpersandShowsAsItself()
{
    Alert->SetTitle("AB");
    const int plainWidth = Show(*Alert)->lblTitle->sizeHint().width();
    Alert->SetTitle("A&B");
    Alert->SetText("Fish & Chips");
    TfrmSlidePopUp* popup = Show(*Alert);
    QVERIFY(popup->lblTitle->sizeHint().width() > plainWidth);
    QCOMPARE(popup->lblText->text(), QString("Fish & Chips"));
    QCOMPARE(popup->lblText->textFormat(), Qt::PlainText);
}

void TSlidePopUpTest::ComponentTakesItsPopupsAlong()
{
    const QPointer<TfrmSlidePopUp> a(Show(*Alert));
    const QPointer<TfrmSlidePopUp> b(Show(*Alert));
    QVERIFY(a && b);
    Alert.reset();
    QVERIFY(a.isNull());
    QVERIFY(b.isNull());
}

void TSlidePopUpTest::ActionButtons_data()
{
    QTest::addColumn<int>("defaultChoice");
    QTest::addColumn<bool>("useMenu");
    QTest::addColumn<int>("button");  // 0: the button with choices, 1: the plain one
    QTest::addColumn<int>("choice");  // what OnAction gets
    QTest::newRow("a choice from the list") << 1 << true << 0 << 2;
    QTest::newRow("the face gives the default") << 1 << false << 0 << 1;
    QTest::newRow("no default: the list alone") << -1 << true << 0 << 0;
    QTest::newRow("a plain button") << 1 << false << 1 << -1;
}

void TSlidePopUpTest::ActionButtons()
{
    QFETCH(int, defaultChoice);
    QFETCH(bool, useMenu);
    QFETCH(int, button);
    QFETCH(int, choice);
    QList<std::tuple<QObject*, int, int, QVariant>> actions;
    Alert->SetOnAction([&](TfrmSlidePopUp* popup, int action, int chosen) {
        actions.append({popup, action, chosen, popup->Data()});
    });
    Alert->SetActions({{"Later", {"a", "b", "c"}, defaultChoice}, {"Done", {}, -1}});
    Alert->SetData(QVariant(42));
    TfrmSlidePopUp* popup = Show(*Alert);
    SlideIn(popup);
    QCOMPARE(popup->ActionButtons().size(), std::size_t(2));
    QToolButton* pressed = popup->ActionButtons()[std::size_t(button)];
    // The row lies above the strip, inside the panel; the message is centred above it.
    QVERIFY(popup->imgStrip->geometry().top() > pressed->geometry().bottom());
    QVERIFY(popup->lblText->geometry().bottom() < pressed->geometry().top());
    QCOMPARE(popup->ActionButtons()[0]->popupMode(),
             defaultChoice >= 0 ? QToolButton::MenuButtonPopup : QToolButton::InstantPopup);
    if (useMenu)
        pressed->menu()->actions().at(choice)->trigger();
    else
        pressed->click();
    QCOMPARE(actions.size(), 1);
    QCOMPARE(actions[0], std::make_tuple(static_cast<QObject*>(popup), button, choice, QVariant(42)));
    QVERIFY(!popup->isVisible());
    QCOMPARE(Alert->PopupCount(), 0);
}

QTEST_MAIN(TSlidePopUpTest)
#include "test_slidepopup.moc"
