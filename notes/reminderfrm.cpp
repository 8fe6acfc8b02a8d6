#include "notes/reminderfrm.h"

#include "desktop/guiservices.h"

#include "store/errors.h"
#include "store/localetext.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include <algorithm>
#include <optional>

namespace orvenna::notes {

QString JoinLines(const std::vector<std::string>& lines)
{
    QStringList list;
    for (const auto& line : lines)
        list << QString::fromStdString(line);
    return list.join(u'\n');
}

std::vector<std::string> SplitLines(const QString& text)
{
    std::vector<std::string> lines;
    if (text.isEmpty())
        return lines;
    QStringList parts = text.split(u'\n');
    if (parts.last().isEmpty())
        parts.removeLast();
    for (const QString& part : parts)
        lines.push_back(part.toStdString());
    return lines;
}

TReminderForm::TReminderForm(const store::TLocalFormat& localFormat, QWidget* parent)
    : QDialog(parent), LocalFormat(localFormat)
{
    setWindowTitle(tr("Reminder"));
    setFont(desktop::DialogFont());
    setFixedSize(340, 371);
    setBackgroundRole(QPalette::Button);
    setAutoFillBackground(true);
    CreateControls();
}

TReminderForm::~TReminderForm() = default;

QStringList TReminderForm::StartItems(const store::TLocalFormat& format)
{
    QStringList items;
    if (format.ReminderTimeFormat.empty()) {
        for (int hour = 1; hour <= 12; ++hour)
            items << QStringLiteral("%1:00 ").arg(hour);
        return items;
    }
    const bool twelveHour = store::ReminderTimeIsTwelveHour(format);
    for (int hour = twelveHour ? 1 : 0; hour < (twelveHour ? 13 : 24); ++hour)
        items << QString::fromStdString(store::FormatReminderClock(format, hour / 24.0));
    return items;
}

void TReminderForm::ShowTime(store::TDateTime when)
{
    FStart->setEditText(QString::fromStdString(store::FormatReminderClock(LocalFormat, when)));
    const auto time = store::DecodeTime(when);
    FAmpm->setCurrentIndex(time && time->Hour >= 12 ? 1 : 0);
}

QStringList TReminderForm::BeforeItems()
{
    return {tr("IMMEDIATELY"),   tr("5 MIN BEFORE"),
            tr("10 MIN BEFORE"), tr("15 MIN BEFORE"),
            tr("20 MIN BEFORE"), tr("1 HOUR BEFORE"),
            tr("1 DAY  BEFORE"), QString()};
}

QStringList TReminderForm::RecurrencyItems()
{
    return {tr("None"), tr("Every Day"), tr("Every Week"),
            tr("Every Month"), tr("Every Year")};
}

QStringList TReminderForm::CategoryItems()
{
    return {tr("Anniversary"), tr("Birthday"),
            tr("Business"),    tr("Calls"),
            tr("Clients"),     tr("Competition"),
            tr("Customer"),    tr("Favorites"),
            tr("Follow up"),   tr("Gifts"),
            tr("Holidays"),    tr("Ideas")};
}

void TReminderForm::CreateControls()
{
    const auto label = [this](const QString& caption, int left, int top) {
        auto* l = new QLabel(caption, this);
        l->move(left, top);
        l->adjustSize();
        return l;
    };
    // A caption wider than the room before its field (a larger system font) pushes the field's
    // left edge right; the field keeps its right edge, so nothing is drawn over the caption.
    const auto clearOf = [](const QLabel* caption, QWidget* field) {
        const int left = caption->geometry().right() + 6;
        QRect place = field->geometry();
        if (left > place.left() && left < place.right() - 40) {
            place.setLeft(left);
            field->setGeometry(place);
        }
    };
    const auto combo = [this](const QStringList& items, bool editable, QRect place) {
        auto* c = new QComboBox(this);
        c->setEditable(editable);
        c->addItems(items);
        c->setCurrentIndex(-1);
        c->setGeometry(place);
        return c;
    };

    auto* subjectLabel = label(tr("Subject:"), 8, 24);
    FSubjectEdit = new QLineEdit(this);
    FSubjectEdit->setGeometry(56, 24, 265, 21);
    clearOf(subjectLabel, FSubjectEdit);
    auto* startLabel = label(tr("Start at"), 8, 64);
    FStart = combo(StartItems(LocalFormat), true, QRect(57, 56, 184, 21));
    clearOf(startLabel, FStart);
    FAmpm = combo({QStringLiteral("AM"), QStringLiteral("PM")}, false, QRect(272, 56, 50, 21));
    // 24-hour times need no half of the day.
    FAmpm->setVisible(store::ReminderTimeIsTwelveHour(LocalFormat));
    auto* beforeLabel = label(tr("Reminder Before"), 8, 104);
    FBefore = combo(BeforeItems(), false, QRect(96, 96, 225, 21));
    clearOf(beforeLabel, FBefore);
    auto* recurrencyLabel = label(tr("Recurrency"), 8, 136);
    FRecurrency = combo(RecurrencyItems(), false, QRect(96, 128, 225, 21));
    clearOf(recurrencyLabel, FRecurrency);
    // The two lists stay one column.
    const int listsLeft = std::max(FBefore->x(), FRecurrency->x());
    for (QComboBox* list : {FBefore, FRecurrency})
        list->setGeometry(QRect(QPoint(listsLeft, list->y()), list->geometry().bottomRight()));
    label(tr("Detail"), 8, 162);
    FMemo = new QPlainTextEdit(this);
    FMemo->setGeometry(8, 188, 321, 89);
    auto* categoryLabel = label(tr("Ca&tegory"), 8, 296);
    FCategory = combo(CategoryItems(), true, QRect(56, 296, 273, 21));
    clearOf(categoryLabel, FCategory);
    categoryLabel->setBuddy(FCategory);
    beforeLabel->setBuddy(FBefore);

    FButton1 = new QPushButton(tr("&OK"), this);
    FButton1->setGeometry(160, 344, 75, 25);
    FButton1->setDefault(true);
    FButton2 = new QPushButton(tr("&Cancel"), this);
    FButton2->setGeometry(248, 344, 75, 25);
    connect(FButton1, &QPushButton::clicked, this, &TReminderForm::Button1Click);
    connect(FButton2, &QPushButton::clicked, this, &QDialog::reject);

    QWidget* order[] = {FSubjectEdit, FStart,    FAmpm,    FBefore, FRecurrency,
                        FMemo,        FCategory, FButton1, FButton2};
    for (std::size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);
}

void TReminderForm::SetReminder(std::unique_ptr<store::TReminder> reminder)
{
    FReminder = std::move(reminder);
}

void TReminderForm::showEvent(QShowEvent* event)
{
    if (!Shown) {
        Shown = true;
        FormShow();
    }
    QDialog::showEvent(event);
}

void TReminderForm::FormShow()
{
    FSubjectEdit->setFocus();
    if (!FReminder) {
        FReminder = std::make_unique<store::TReminder>();
        return;
    }
    const store::TReminder& r = *FReminder;
    FSubjectEdit->setText(QString::fromStdString(r.Subject));
    ShowTime(r.When);
    FMemo->setPlainText(JoinLines(r.Desc));
    FCategory->setEditText(QString::fromStdString(r.category));
    // A position the list does not hold (-1 from a dialog confirmed without choosing) shows
    // no selection.
    FBefore->setCurrentIndex(r.Before >= 0 && r.Before < FBefore->count() ? r.Before : -1);
    FRecurrency->setCurrentIndex(
        r.Recurrency >= 0 && r.Recurrency < FRecurrency->count() ? r.Recurrency : -1);
}

void TReminderForm::Button1Click()
{
    if (!FReminder)
        FReminder = std::make_unique<store::TReminder>();
    // The time is read before anything is stored, so a refused time changes nothing. A start
    // typed in the other form ("14:30" beside PM, "2:30 PM" with 24-hour times) reads as well.
    const std::string start = FStart->currentText().toStdString();
    const bool withHalf = FAmpm->isVisibleTo(this);
    const store::TDate day = store::DateOf(EditDate);
    const std::string typed = withHalf ? start + ' ' + FAmpm->currentText().toStdString() : start;
    store::TDateTime when = 0;
    try {
        when = store::ReadTimeOnDay(LocalFormat, day, typed);
    } catch (const store::EConvertError& error) {
        std::optional<store::TDateTime> alone;
        if (withHalf) {
            try {
                alone = store::ReadTimeOnDay(LocalFormat, day, start);
            } catch (const store::EConvertError&) {
            }
        }
        if (!alone) {
            desktop::ShowMessage(this, desktop::TMessageKind::Warning,
                                 QString::fromStdString(error.Text()));
            return;
        }
        when = *alone;
    }
    store::TReminder& r = *FReminder;
    r.Subject = FSubjectEdit->text().toStdString();
    r.When = when;
    r.Desc = SplitLines(FMemo->toPlainText());
    r.category = FCategory->currentText().toStdString();
    r.Before = FBefore->currentIndex();
    r.Recurrency = FRecurrency->currentIndex();
    r.State = 0;
    accept();
}

}  // namespace orvenna::notes
