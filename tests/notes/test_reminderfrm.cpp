// The reminder dialog on the offscreen platform: what it shows of a reminder, what OK stores,
// what a refused time and Cancel leave.
#include "notes/reminderfrm.h"
#include "desktop/guiservices.h"
#include "store/localetext.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include <cmath>
#include <memory>

using namespace orvenna;
using namespace orvenna::notes;

namespace {

const store::TDate Day = store::EncodeDate(2026, 12, 7);

std::unique_ptr<store::TReminder> Reminder(int hour, int minute)
{
    auto r = std::make_unique<store::TReminder>();
    r->When = store::EncodeDateTime(2026, 12, 7, hour, minute);
    r->Subject = "Dentist";
    r->Desc = {"Bring the card", "Room 4"};
    r->category = "Calls";
    r->Before = 2;
    r->Recurrency = 3;
    r->State = 1;
    r->SomeData = 7;
    return r;
}

int MinuteOfDay(store::TDateTime when)
{
    return static_cast<int>(std::lround((when - std::floor(when)) * 1440));
}

struct TDialogRig {
    TDialogRig(std::unique_ptr<store::TReminder> reminder = nullptr,
               const store::TLocalFormat& format = {})
        : Form(format)
    {
        if (reminder)
            Form.SetReminder(std::move(reminder));
        Form.SetEditDate(Day);
        Form.show();
    }
    desktop::TGUIAnswers Answers;  // before the dialog, which may show a message as it goes
    QStringList& Messages = Answers.Messages;
    TReminderForm Form;
};

}  // namespace

class TstReminderForm : public QObject {
    Q_OBJECT

private slots:
    // No field is laid over a caption on its row, with the usual font and with a large one.
    void captionsStayClearOfTheirFields_data()
    {
        QTest::addColumn<int>("pointSize");
        QTest::newRow("usual font") << 0;
        QTest::newRow("large font") << 14;
    }
    void captionsStayClearOfTheirFields()
    {
        QFETCH(int, pointSize);
        const QFont usual = QApplication::font();
        if (pointSize > 0) {
            QFont large = usual;
            large.setPointSize(pointSize);
            QApplication::setFont(large);
        }
        {
            TDialogRig rig;
            for (const QLabel* caption : rig.Form.findChildren<QLabel*>()) {
                for (const QWidget* field : rig.Form.findChildren<QWidget*>()) {
                    if (!qobject_cast<const QComboBox*>(field) && !qobject_cast<const QLineEdit*>(field))
                        continue;
                    if (field->parentWidget() != &rig.Form)
                        continue;  // the line edit inside an editable list
                    QVERIFY2(!caption->geometry().intersects(field->geometry()),
                             qPrintable(caption->text() + " is covered"));
                }
            }
        }
        QApplication::setFont(usual);
    }

    void listsHoldTheStoredPositions()
    {
        TDialogRig rig;
        QCOMPARE(rig.Form.windowTitle(), QStringLiteral("Reminder"));
        QCOMPARE(rig.Form.Start()->count(), 12);
        QCOMPARE(rig.Form.Start()->itemText(0), QStringLiteral("1:00 "));
        QCOMPARE(rig.Form.Start()->itemText(11), QStringLiteral("12:00 "));
        QCOMPARE(rig.Form.Before()->itemText(6), QStringLiteral("1 DAY  BEFORE"));
        QCOMPARE(rig.Form.Before()->count(), 8);
        QCOMPARE(rig.Form.Recurrency()->itemText(4), QStringLiteral("Every Year"));
        QCOMPARE(rig.Form.Category()->count(), 12);
        QCOMPARE(rig.Form.size(), QSize(340, 371));
    }

    void showsTheReminder_data()
    {
        QTest::addColumn<int>("hour");
        QTest::addColumn<int>("minute");
        QTest::addColumn<int>("before");
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("ampm");
        QTest::addColumn<int>("shownBefore");
        QTest::newRow("evening") << 21 << 5 << 2 << "09:05" << "PM" << 2;
        QTest::newRow("after midnight") << 0 << 15 << 6 << "12:15" << "AM" << 6;
        QTest::newRow("morning") << 9 << 30 << 7 << "09:30" << "AM" << 7;
        QTest::newRow("noon, no lead time") << 12 << 0 << -1 << "12:00" << "PM" << -1;
        QTest::newRow("lead time out of range") << 23 << 59 << 42 << "11:59" << "PM" << -1;
    }
    void showsTheReminder()
    {
        QFETCH(int, hour);
        QFETCH(int, minute);
        QFETCH(int, before);
        QFETCH(QString, start);
        QFETCH(QString, ampm);
        QFETCH(int, shownBefore);
        auto reminder = Reminder(hour, minute);
        reminder->Before = before;
        TDialogRig rig(std::move(reminder));
        QCOMPARE(rig.Form.Start()->currentText(), start);
        QCOMPARE(rig.Form.Ampm()->currentText(), ampm);
        QCOMPARE(rig.Form.Before()->currentIndex(), shownBefore);
        QCOMPARE(rig.Form.Recurrency()->currentText(), QStringLiteral("Every Month"));
        QCOMPARE(rig.Form.SubjectEdit()->text(), QStringLiteral("Dentist"));
        QCOMPARE(rig.Form.Memo()->toPlainText(), QStringLiteral("Bring the card\nRoom 4"));
        QCOMPARE(rig.Form.Category()->currentText(), QStringLiteral("Calls"));
    }

    // OK with a typed or picked start time; -1 expects the conversion message.
    void okReadsTheStartTime_data()
    {
        QTest::addColumn<QString>("start");
        QTest::addColumn<int>("ampm");
        QTest::addColumn<int>("minuteOfDay");
        QTest::newRow("typed 7:45 PM") << "7:45" << 1 << 19 * 60 + 45;
        QTest::newRow("item 12 with AM") << "12:00 " << 0 << 0;
        QTest::newRow("item 12 with PM") << "12:00 " << 1 << 12 * 60;
        QTest::newRow("item 9 with PM, two blanks") << "9:00 " << 1 << 21 * 60;
        QTest::newRow("24-hour without AM/PM") << "19:45" << -1 << 19 * 60 + 45;
        QTest::newRow("19:45 beside PM, read as typed") << "19:45" << 1 << 19 * 60 + 45;
        QTest::newRow("hour 25 refused") << "25:00" << 1 << -1;
        QTest::newRow("empty refused") << "" << 0 << -1;
        QTest::newRow("words refused") << "soon" << -1 << -1;
    }
    void okReadsTheStartTime()
    {
        QFETCH(QString, start);
        QFETCH(int, ampm);
        QFETCH(int, minuteOfDay);
        TDialogRig rig(Reminder(8, 0));
        rig.Form.SubjectEdit()->setText(QStringLiteral("Dentist, moved"));
        rig.Form.Start()->setEditText(start);
        rig.Form.Ampm()->setCurrentIndex(ampm);
        rig.Form.Memo()->setPlainText(QStringLiteral("One line\n"));
        rig.Form.Before()->setCurrentIndex(7);
        rig.Form.Category()->setEditText(QStringLiteral("Teeth"));
        QTest::mouseClick(rig.Form.Button1(), Qt::LeftButton);

        const store::TReminder& r = *rig.Form.Reminder();
        QCOMPARE(r.SomeData, 7);
        if (minuteOfDay < 0) {
            const QString text = "12/7/26 " + start + ' ' + rig.Form.Ampm()->currentText();
            QCOMPARE(rig.Messages, QStringList{"'" + text + "' is not a valid date and time"});
            QVERIFY(rig.Form.isVisible());
            QCOMPARE(rig.Form.result(), int(QDialog::Rejected));
            // Nothing of the dialog reached the reminder.
            QCOMPARE(r.Subject, std::string("Dentist"));
            QCOMPARE(MinuteOfDay(r.When), 8 * 60);
            QCOMPARE(r.State, 1);
            QCOMPARE(r.Before, 2);
            QCOMPARE(r.Desc.size(), std::size_t(2));
            return;
        }
        QVERIFY(rig.Messages.isEmpty());
        QCOMPARE(rig.Form.result(), int(QDialog::Accepted));
        QVERIFY(!rig.Form.isVisible());
        QCOMPARE(store::DateOf(r.When), Day);
        QCOMPARE(MinuteOfDay(r.When), minuteOfDay);
        QCOMPARE(r.Subject, std::string("Dentist, moved"));
        QCOMPARE(r.Desc, std::vector<std::string>{"One line"});
        QCOMPARE(r.category, std::string("Teeth"));
        QCOMPARE(r.Before, 7);
        QCOMPARE(r.Recurrency, 3);
        QCOMPARE(r.State, 0);
    }

    void twentyFourHourTimesNeedNoHalfOfTheDay_data()
    {
        QTest::addColumn<QString>("start");
        QTest::addColumn<int>("minuteOfDay");  // -1: refused
        QTest::newRow("24-hour") << "19:45" << 19 * 60 + 45;
        QTest::newRow("12-hour with PM") << "7:45 PM" << 19 * 60 + 45;
        QTest::newRow("midnight item") << "00:00" << 0;
        QTest::newRow("hour 24 refused") << "24:00" << -1;
    }
    void twentyFourHourTimesNeedNoHalfOfTheDay()
    {
        QFETCH(QString, start);
        QFETCH(int, minuteOfDay);
        store::TLocalFormat format;
        format.ReminderTimeFormat = "HH:mm";
        TDialogRig rig(Reminder(21, 5), format);
        QVERIFY(!rig.Form.Ampm()->isVisible());
        QCOMPARE(rig.Form.Start()->currentText(), QStringLiteral("21:05"));
        QCOMPARE(rig.Form.Start()->count(), 24);
        QCOMPARE(rig.Form.Start()->itemText(0), QStringLiteral("00:00"));
        QCOMPARE(rig.Form.Start()->itemText(23), QStringLiteral("23:00"));
        rig.Form.Start()->setEditText(start);
        QTest::mouseClick(rig.Form.Button1(), Qt::LeftButton);
        if (minuteOfDay < 0) {
            QCOMPARE(rig.Messages, QStringList{"'12/7/26 " + start + "' is not a valid date and time"});
            return;
        }
        QVERIFY(rig.Messages.isEmpty());
        QCOMPARE(MinuteOfDay(rig.Form.Reminder()->When), minuteOfDay);
    }

    void newReminderWithoutListChoicesStoresMinusOne()
    {
        TDialogRig rig;
        QVERIFY(rig.Form.Reminder() != nullptr);
        QCOMPARE(rig.Form.Before()->currentIndex(), -1);
        rig.Form.Start()->setCurrentIndex(2);  // "3:00 "
        rig.Form.Ampm()->setCurrentIndex(1);
        rig.Form.SubjectEdit()->setText(QStringLiteral("Call back"));
        QTest::keyClick(rig.Form.SubjectEdit(), Qt::Key_Return);
        const store::TReminder& r = *rig.Form.Reminder();
        QCOMPARE(rig.Form.result(), int(QDialog::Accepted));
        QCOMPARE(MinuteOfDay(r.When), 15 * 60);
        QCOMPARE(r.Before, -1);
        QCOMPARE(r.Recurrency, -1);
        QCOMPARE(r.SomeData, 43);
        QVERIFY(r.Desc.empty());
        QCOMPARE(r.category, std::string());
    }

    void cancelLeavesTheReminder_data()
    {
        QTest::addColumn<bool>("escape");
        QTest::newRow("Cancel button") << false;
        QTest::newRow("Esc") << true;
    }
    void cancelLeavesTheReminder()
    {
        QFETCH(bool, escape);
        TDialogRig rig(Reminder(21, 5));
        rig.Form.SubjectEdit()->setText(QStringLiteral("changed"));
        rig.Form.Start()->setEditText(QStringLiteral("1:00"));
        if (escape)
            QTest::keyClick(rig.Form.SubjectEdit(), Qt::Key_Escape);
        else
            QTest::mouseClick(rig.Form.Button2(), Qt::LeftButton);
        QCOMPARE(rig.Form.result(), int(QDialog::Rejected));
        const store::TReminder& r = *rig.Form.Reminder();
        QCOMPARE(r.Subject, std::string("Dentist"));
        QCOMPARE(MinuteOfDay(r.When), 21 * 60 + 5);
        QCOMPARE(r.State, 1);
    }
};

QTEST_MAIN(TstReminderForm)
#include "test_reminderfrm.moc"
