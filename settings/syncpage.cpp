#include "settings/syncpage.h"

#include <QEvent>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>

namespace orvenna::settings {
namespace {

constexpr qsizetype MaxErrorLines = 2;

QString SchemeProblem(const QString& address, const QStringList& schemes, const QString& kinds)
{
    const QString trimmed = address.trimmed();
    if (trimmed.isEmpty())
        return {};
    const QUrl url(trimmed, QUrl::StrictMode);
    if (!url.isValid() || !schemes.contains(url.scheme().toLower()) || url.host().isEmpty())
        return TSyncPage::tr("\"%1\" is not an %2 address.").arg(trimmed, kinds);
    return {};
}

}  // namespace

QString ServerAddressProblem(const QString& address)
{
    return SchemeProblem(address, {QStringLiteral("http"), QStringLiteral("https")},
                         TSyncPage::tr("http or https"));
}

QString SubscriptionAddressProblem(const QString& address)
{
    return SchemeProblem(address,
                         {QStringLiteral("http"), QStringLiteral("https"), QStringLiteral("webcal"),
                          QStringLiteral("webcals")},
                         TSyncPage::tr("http, https or webcal"));
}

TSyncPage::TSyncPage(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("SyncPage"));
    CreateControls();
    connect(btnSyncNow, &QPushButton::clicked, this, [this] {
        const QString problem = Problem();
        if (problem.isEmpty())
            emit SyncNowClicked();
        else
            emit ProblemFound(problem);
    });
}

void TSyncPage::CreateControls()
{
    auto* server = new QGroupBox(tr("Calendar server"), this);
    edtServer = new QLineEdit(server);
    edtServer->setPlaceholderText(QStringLiteral("https://"));
    edtUser = new QLineEdit(server);
    edtPassword = new QLineEdit(server);
    edtPassword->setEchoMode(QLineEdit::Password);
    btnSyncNow = new QPushButton(tr("Sync &now"), server);
    lbCalendar = new QLabel(server);
    lbCalendar->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lbCalendar->setWordWrap(true);
    lbState = new QLabel(server);
    lbState->setWordWrap(true);
    // One line per error, shortened in the middle to the page's width (the dialog keeps its
    // size); the whole text shows in the label's tool tip.
    lbErrors = new QLabel(server);
    lbErrors->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    lbErrors->installEventFilter(this);
    // A palette, not a style sheet: the label keeps the dialog's font, which the page's
    // layout is measured in.
    QPalette red = lbErrors->palette();
    red.setColor(QPalette::WindowText, QColor(0xb0, 0x00, 0x00));
    lbErrors->setPalette(red);
    auto* form = new QFormLayout(server);
    form->addRow(tr("&Address:"), edtServer);
    form->addRow(tr("&User name:"), edtUser);
    form->addRow(tr("&Password:"), edtPassword);
    form->addRow(tr("Calendar:"), lbCalendar);
    form->addRow(tr("Last sync:"), lbState);
    form->addRow(QString(), lbErrors);
    form->addRow(QString(), btnSyncNow);

    auto* subscribed = new QGroupBox(tr("Subscribed calendars (read only)"), this);
    edtSubscriptions = new QPlainTextEdit(subscribed);
    edtSubscriptions->setPlaceholderText(tr("One .ics address a line (http, https or webcal)"));
    edtSubscriptions->setTabChangesFocus(true);
    // The list gives up room to the errors above it (the dialog keeps its size): two lines stay.
    edtSubscriptions->setMinimumHeight(edtSubscriptions->fontMetrics().lineSpacing() * 2 +
                                       2 * edtSubscriptions->frameWidth() + 8);
    auto* list = new QVBoxLayout(subscribed);
    list->addWidget(edtSubscriptions);

    auto* page = new QVBoxLayout(this);
    page->addWidget(server);
    page->addWidget(subscribed, 1);
}

void TSyncPage::LoadAccount(const store::TSyncAccount& account, bool passwordKnown)
{
    Loaded = account;
    edtServer->setText(QString::fromStdString(account.Server));
    edtUser->setText(QString::fromStdString(account.User));
    edtPassword->clear();
    edtPassword->setPlaceholderText(passwordKnown ? tr("(kept; type to change)") : QString());
    QStringList lines;
    for (const std::string& url : account.Subscriptions)
        lines << QString::fromStdString(url);
    edtSubscriptions->setPlainText(lines.join(QLatin1Char('\n')));
}

store::TSyncAccount TSyncPage::EditedAccount() const
{
    store::TSyncAccount account;
    account.Calendar = Loaded.Calendar;
    account.Server = edtServer->text().trimmed().toStdString();
    account.User = edtUser->text().trimmed().toStdString();
    for (const QString& line : edtSubscriptions->toPlainText().split(QLatin1Char('\n'))) {
        const std::string url = line.trimmed().toStdString();
        if (!url.empty() && std::ranges::find(account.Subscriptions, url) == account.Subscriptions.end())
            account.Subscriptions.push_back(url);
    }
    return account;
}

QString TSyncPage::EditedPassword() const
{
    return edtPassword->text();
}

QString TSyncPage::Problem() const
{
    QString problem = ServerAddressProblem(edtServer->text());
    for (const std::string& url : EditedAccount().Subscriptions)
        if (problem.isEmpty())
            problem = SubscriptionAddressProblem(QString::fromStdString(url));
    return problem;
}

void TSyncPage::ShowState(const QString& calendar, const QString& state, const QStringList& errors,
                          bool running)
{
    lbCalendar->setText(calendar.isEmpty() ? tr("(none yet)") : calendar);
    lbState->setText(state.isEmpty() ? tr("(none yet)") : state);
    Errors = errors;
    lbErrors->setToolTip(errors.join(QLatin1Char('\n')));
    lbErrors->setVisible(!errors.isEmpty());
    ShortenErrors();
    btnSyncNow->setEnabled(!running);
}

void TSyncPage::ShortenErrors()
{
    // Two lines fit above "Sync now"; more errors are counted on the second.
    const int width = lbErrors->width();
    const qsizetype shown = Errors.size() <= MaxErrorLines ? Errors.size() : MaxErrorLines - 1;
    QStringList lines;
    for (qsizetype i = 0; i < shown; ++i)
        lines << lbErrors->fontMetrics().elidedText(Errors[i], Qt::ElideMiddle, width);
    if (shown < Errors.size())
        lines << tr("and %n more (point here to read them all)", nullptr,
                    static_cast<int>(Errors.size() - shown));
    lbErrors->setText(lines.join(QLatin1Char('\n')));
}

bool TSyncPage::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == lbErrors && event->type() == QEvent::Resize)
        ShortenErrors();
    return QWidget::eventFilter(watched, event);
}

}  // namespace orvenna::settings
