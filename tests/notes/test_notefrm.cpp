// The note editor on the offscreen platform: a store made in the test, a temporary program
// folder with the shipped skin images, message boxes answered by the test, the reminder dialog
// driven inside its own modal loop.
#include "notes/notefrm.h"
#include "desktop/guiservices.h"
#include "store/localetext.h"
#include "tests/support/modaldriver.h"
#include "tests/support/notessaver.h"
#include "tests/support/tempfolder.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTime>

#include <cmath>
#include <filesystem>

using namespace orvenna;
using namespace orvenna::notes;

namespace {

const store::TDate Day = store::EncodeDate(2007, 3, 15);  // a Thursday

struct TEditorRig {
    // A store with the day's paper holding the given lines and reminders ("hh:mm Subject" or
    // "hh:mm:ss Subject"), in an editor showing times as the format says.
    explicit TEditorRig(const QStringList& note, const QStringList& reminders = {},
                        const store::TLocalFormat& format = {})
        : Papers([] { return Day; })
    {
        Folder = QString::fromStdString(Temp.Path().string()) + u'/';
        std::filesystem::copy(ORVENNA_SOURCE_DIR "/images", Temp.Path() / "images");
        Papers.AddDayPaper().Day = store::EncodeDate(2007, 3, 14);
        Paper = &Papers.AddDayPaper();
        Paper->Day = Day;
        for (const QString& line : note)
            Paper->Note.push_back(line.toStdString());
        for (const QString& text : reminders) {
            store::TReminder& r = Paper->ReminderList.AddReminder();
            const qsizetype blank = text.indexOf(u' ');
            const QTime time = QTime::fromString(text.left(blank), blank == 5 ? "hh:mm" : "hh:mm:ss");
            r.When = Day + store::EncodeTime(time.hour(), time.minute(), time.second(), 0);
            r.Subject = text.mid(blank + 1).toStdString();
            r.Desc = {"detail of " + r.Subject};
            r.Recurrency = 1;
            r.Before = 3;
            r.category = "Calls";
        }
        Form = std::make_unique<TNoteForm>(Papers, *Paper, format, Folder, Settings,
                                           Saves.Saver());
        Form->show();
        QApplication::setActiveWindow(Form.get());
        QTest::qWaitForWindowActive(Form.get());
        QTRY_COMPARE(Form->Stringgrid1()->currentRow(), 0);
        BytesBefore = Papers.SaveToBytes();
    }

    TMyStringGrid& Grid() const { return *Form->ReminderGrid(); }
    std::string NotesFile() const { return Temp.File("2004.cal"); }
    bool FileWritten() const { return std::filesystem::exists(NotesFile()); }
    // The paper as the file holds it after a load into a second store.
    store::TDayPaper& Saved()
    {
        Reloaded.LoadFromFile(NotesFile());
        return *Reloaded.FindDayPaper(Day);
    }
    // Types into a line of the sheet as a user would.
    void TypeNoteLine(int row, const QString& text)
    {
        Form->PageControl1()->setCurrentIndex(0);
        QLineEdit* line = Form->NoteLine(row);
        QTest::mouseClick(line, Qt::LeftButton);
        QTRY_VERIFY(line->hasFocus());
        QCOMPARE(Form->Stringgrid1()->currentRow(), row);
        line->selectAll();
        QTest::keyClicks(line, text);
    }
    QStringList Reminders(const store::TDayPaper& paper) const
    {
        QStringList list;
        for (int i = 0; i < paper.ReminderList.ReminderCount(); ++i) {
            const store::TReminder& r = paper.ReminderList.GetReminder(i);
            list << QString::fromStdString(store::FormatDateTime({}, "yyyy-MM-dd HH:mm ", r.When) +
                                           r.Subject);
        }
        return list;
    }

    test::TTempFolder Temp;
    QString Folder;
    store::TDayPaperList Papers;
    store::TDayPaperList Reloaded;
    store::TCalSetting Settings;
    store::TDayPaper* Paper = nullptr;
    desktop::TGUIAnswers Answers;
    QStringList& Messages = Answers.Messages;  // the message boxes, and the saver's failures
    test::TNotesSaver Saves{Papers, Temp.File("2004.cal"), Messages};
    std::unique_ptr<TNoteForm> Form;
    std::string BytesBefore;
};

}  // namespace

class TstNoteForm : public QObject {
    Q_OBJECT

private slots:
    void showsTheDayAndItsReminders()
    {
        TEditorRig rig({"buy milk", "call Anna", "dentist"}, {"09:30 Dentist", "21:05 Film"});
        QCOMPARE(rig.Form->windowTitle(), QStringLiteral("Note and Reminder"));
        QCOMPARE(rig.Form->HeaderText(), QStringLiteral("3/15/07 Thursday"));
        QCOMPARE(rig.Form->Stringgrid1()->rowCount(), 12);
        QCOMPARE(rig.Form->Stringgrid1()->item(2, 0)->text(), QStringLiteral("dentist"));
        QCOMPARE(rig.Form->Stringgrid1()->item(3, 0)->text(), QString());
        QCOMPARE(rig.Form->Stringgrid1()->currentRow(), 0);
        QCOMPARE(rig.Grid().rowCount(), 12);  // header row and 11 reminder rows
        QCOMPARE(rig.Grid().Cell(0, 1), QStringLiteral("09:30 AM"));
        QCOMPARE(rig.Grid().Cell(1, 2), QStringLiteral("Film"));
        QCOMPARE(rig.Grid().Cell(0, 2), QStringLiteral("09:05 PM"));
        QCOMPARE(rig.Grid().Cell(0, 3), QString());
        // Row objects are copies: the store's reminders are not the grid's.
        const store::TReminder* object = rig.Form->RowObject(1);
        QVERIFY(object != nullptr && object != &rig.Paper->ReminderList.GetReminder(0));
        QCOMPARE(object->Desc, std::vector<std::string>{"detail of Dentist"});
        QCOMPARE(rig.Form->RowObject(3), nullptr);
        QVERIFY(!rig.Form->NoteModified());
    }

    void pickListHasTheTwentyFourEntries()
    {
        const QStringList items = TMyStringGrid::PickList();
        QCOMPARE(items.size(), 24);
        QCOMPARE(items.first(), QStringLiteral("1 :00 PM"));
        QCOMPARE(items[11], QStringLiteral("12 :00 PM"));
        QCOMPARE(items.last(), QStringLiteral("12 :00 AM"));
        QStringList kept{QStringLiteral("x")};
        TMyStringGrid(QString()).EditListGetItems(1, 1, kept);
        QCOMPARE(kept, QStringList{QStringLiteral("x")});
        QCOMPARE(TMyStringGrid::GetEditStyle(0, 3), TEditStyle::esPickList);
        QCOMPARE(TMyStringGrid::GetEditStyle(1, 3), TEditStyle::esEllipsis);
    }

    void timeFormsShowReadAndKeepTheStoredTime_data()
    {
        QTest::addColumn<QString>("pattern");  // ReminderTimeFormat; empty: the designed form
        QTest::addColumn<QString>("afternoon");
        QTest::addColumn<QString>("firstPick");
        QTest::addColumn<QString>("lastPick");
        QTest::addColumn<QString>("otherForm");  // typed in the form not chosen, for 19:45

        QTest::newRow("designed") << "" << "02:30 PM" << "1 :00 PM" << "12 :00 AM" << "19:45";
        QTest::newRow("24-hour") << "HH:mm" << "14:30" << "00:00" << "23:00" << "7:45 PM";
        QTest::newRow("locale, 12-hour") << "h:mm AP" << "2:30 PM" << "12:00 AM" << "11:00 PM"
                                         << "19:45";
    }

    void timeFormsShowReadAndKeepTheStoredTime()
    {
        QFETCH(QString, pattern);
        QFETCH(QString, afternoon);
        QFETCH(QString, firstPick);
        QFETCH(QString, lastPick);
        QFETCH(QString, otherForm);
        store::TLocalFormat format;
        format.ReminderTimeFormat = pattern.toStdString();
        TEditorRig rig({"note"}, {"14:30:17 Dentist", "09:00 Bus"}, format);
        QCOMPARE(rig.Grid().Cell(0, 1), afternoon);
        const QStringList picks = TMyStringGrid::PickList(format);
        QCOMPARE(picks.size(), 24);
        QCOMPARE(picks.first(), firstPick);
        QCOMPARE(picks.last(), lastPick);
        for (const QString& pick : picks)
            QVERIFY2(store::ReadTime(format, pick.toStdString()) >= 0, qPrintable(pick));

        // The untouched row keeps its seconds; a time typed in the other form is read.
        rig.Grid().SetCell(0, 2, otherForm);
        QVERIFY(rig.Form->SaveNote());
        QCOMPARE(rig.Reminders(rig.Saved()),
                 (QStringList{"2007-03-15 14:30 Dentist", "2007-03-15 19:45 Bus"}));
        QCOMPARE(rig.Saved().ReminderList.GetReminder(0).When,
                 Day + store::EncodeTime(14, 30, 17, 0));
        QVERIFY(rig.Messages.isEmpty());
    }

    // What the user sees of the sheet: a rule under each of the 12 lines, not covered by the
    // line editors; and the time list's entries whole, not cut to "1 :... PM".
    void sheetShowsTwelveRules()
    {
        TEditorRig rig({"buy milk"});
        QTableWidget* sheet = rig.Form->Stringgrid1();
        const QImage picture = sheet->grab().toImage();
        const QColor rule(0xC0, 0xC8, 0xD8);
        const int x = sheet->width() / 2;
        for (int row = 0; row < TNoteForm::NoteLines; ++row) {
            const int bottom = sheet->rowViewportPosition(row) + sheet->rowHeight(row) - 1;
            QCOMPARE(QColor(picture.pixel(x, bottom)), rule);
            QVERIFY(QColor(picture.pixel(x, bottom - 3)) != rule);
        }
    }

    void pickListEntriesAreWhole()
    {
        TEditorRig rig({});
        rig.Form->PageControl1()->setCurrentIndex(1);
        rig.Grid().setFocus();
        rig.Grid().setCurrentCell(1, 0);
        QTRY_VERIFY(rig.Grid().EditList() != nullptr);
        QComboBox* list = rig.Grid().EditList();
        list->showPopup();
        QAbstractItemView* view = list->view();
        QTRY_VERIFY(view->isVisible());
        for (int i = 0; i < list->count(); ++i) {
            const QModelIndex entry = view->model()->index(i, 0);
            QVERIFY2(view->viewport()->width() >= view->sizeHintForIndex(entry).width(),
                     qPrintable(list->itemText(i)));
        }
        list->hidePopup();
    }

    // The caret starts on the first line, and whatever hands the focus on into the sheet
    // meets the first line first.
    void focusEntersTheSheetOnTheFirstLine()
    {
        TEditorRig rig({"buy milk", "call Anna"});
        QCOMPARE(QApplication::focusWidget(), rig.Form->NoteLine(0));
        rig.Form->PageControl1()->tabBar()->setFocus();
        QTest::keyClick(rig.Form->PageControl1()->tabBar(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), rig.Form->NoteLine(0));
        rig.Form->NoteLine(4)->setFocus();
        QCOMPARE(rig.Form->Stringgrid1()->currentRow(), 4);
        rig.Form->Stringgrid1()->setFocus();
        QCOMPARE(QApplication::focusWidget(), rig.Form->NoteLine(4));
    }

    void savedNoteHasTwelveLinesOnlyAfterAnEdit()
    {
        TEditorRig rig({"buy milk", "call Anna", "dentist"});
        QVERIFY(rig.Form->SaveNote());
        QCOMPARE(rig.Saved().Note.size(), std::size_t(3));

        rig.TypeNoteLine(1, QStringLiteral("call Bert"));
        QVERIFY(rig.Form->NoteModified());
        QVERIFY(rig.Form->SaveNote());
        const std::vector<std::string> expected{"buy milk", "call Bert", "dentist", "", "", "",
                                                "",         "",          "",        "", "", ""};
        QCOMPARE(rig.Paper->Note, expected);
        QCOMPARE(rig.Saved().Note, expected);
    }

    // Time cells as typed or picked, and what the day paper holds after the save.
    void reminderRowsBecomeTheDaysReminders()
    {
        TEditorRig rig({}, {"09:30 Dentist", "10:00 Stays", "11:00 Loses its time"});
        rig.Grid().SetCell(0, 3, QString());         // time emptied, subject kept
        rig.Grid().SetCell(0, 4, QStringLiteral("12 :00 AM"));
        rig.Grid().SetCell(1, 4, QStringLiteral("Midnight"));
        rig.Grid().SetCell(0, 5, QStringLiteral("12 :00 PM"));
        rig.Grid().SetCell(1, 5, QStringLiteral("Noon"));
        rig.Grid().SetCell(0, 6, QStringLiteral("3 :00 PM"));
        rig.Grid().SetCell(0, 7, QStringLiteral("   "));
        rig.Grid().SetCell(1, 7, QStringLiteral("No time"));
        rig.Grid().SetCell(0, 11, QStringLiteral("19:45"));
        rig.Grid().SetCell(1, 11, QStringLiteral("Last row"));
        QVERIFY(rig.Form->SaveNote());
        QVERIFY(rig.Messages.isEmpty());
        const QStringList expected{"2007-03-15 09:30 Dentist", "2007-03-15 10:00 Stays",
                                   "2007-03-15 00:00 Midnight", "2007-03-15 12:00 Noon",
                                   "2007-03-15 15:00 ",        "2007-03-15 19:45 Last row"};
        QCOMPARE(rig.Reminders(*rig.Paper), expected);
        QCOMPARE(rig.Reminders(rig.Saved()), expected);
        // A row with its row object keeps the other fields; a typed row has the creation values.
        const store::TReminder& kept = rig.Paper->ReminderList.GetReminder(1);
        QCOMPARE(kept.Desc, std::vector<std::string>{"detail of Stays"});
        QCOMPARE(kept.Recurrency, 1);
        QCOMPARE(kept.Before, 3);
        const store::TReminder& typed = rig.Paper->ReminderList.GetReminder(2);
        QCOMPARE(typed.Recurrency, 0);
        QCOMPARE(typed.Before, 0);
        QCOMPARE(typed.SomeData, 43);
    }

    void unreadableTimeLeavesPaperAndFileAsTheyWere()
    {
        TEditorRig rig({"first"}, {"09:30 Dentist"});
        QVERIFY(rig.Form->SaveNote());
        const std::string fileBefore = test::ReadBytes(rig.NotesFile());
        const std::string paperBefore = rig.Papers.SaveToBytes();

        rig.TypeNoteLine(0, QStringLiteral("changed"));
        rig.Grid().SetCell(1, 1, QStringLiteral("Dentist, moved"));
        rig.Grid().SetCell(0, 2, QStringLiteral("4 :00 PM"));
        rig.Grid().SetCell(0, 3, QStringLiteral("25:00"));
        QSignalSpy closed(rig.Form.get(), &TNoteForm::Closed);
        rig.Form->Image1Click();
        QCOMPARE(rig.Messages, QStringList{"'3/15/07 25:00' is not a valid date and time"});
        QCOMPARE(rig.Papers.SaveToBytes(), paperBefore);
        QCOMPARE(test::ReadBytes(rig.NotesFile()), fileBefore);
        QVERIFY(rig.Form->isVisible());
        QCOMPARE(closed.count(), 0);
        QCOMPARE(rig.Form->PageControl1()->currentIndex(), 1);
        QCOMPARE(rig.Grid().currentRow(), 3);
    }

    void crossButtonLeavesPaperAndFileUntouched()
    {
        TEditorRig rig({"first"}, {"09:30 Dentist"});
        rig.TypeNoteLine(0, QStringLiteral("changed"));
        rig.Grid().SetCell(0, 1, QString());
        rig.Grid().SetCell(0, 2, QStringLiteral("1 :00 PM"));
        QSignalSpy closed(rig.Form.get(), &TNoteForm::Closed);
        QTest::mouseClick(rig.Form->Image2(), Qt::LeftButton);
        QCOMPARE(closed.count(), 1);
        QCOMPARE(rig.Saves.Calls, 0);
        QVERIFY(!rig.Form->isVisible());
        QCOMPARE(rig.Papers.SaveToBytes(), rig.BytesBefore);
        QVERIFY(!rig.FileWritten());
    }

    void keepsWhatTheEditorCannotShow()
    {
        QStringList note;
        QStringList reminders;
        for (int i = 0; i < 14; ++i) {
            note << QStringLiteral("line %1").arg(i);
            reminders << QStringLiteral("%1:00 r%2").arg(i + 6, 2, 10, QLatin1Char('0')).arg(i);
        }
        TEditorRig rig(note, reminders);
        rig.Paper->ReminderList.GetReminder(12).SomeData = 5;
        QCOMPARE(rig.Grid().Cell(1, 11), QStringLiteral("r10"));
        rig.TypeNoteLine(11, QStringLiteral("line eleven"));
        rig.Grid().SetCell(1, 1, QStringLiteral("first, edited"));
        QVERIFY(rig.Form->SaveNote());
        const std::vector<std::string>& saved = rig.Saved().Note;
        QCOMPARE(saved.size(), std::size_t(14));
        QCOMPARE(saved[11], std::string("line eleven"));
        QCOMPARE(saved[13], std::string("line 13"));
        const QStringList stored = rig.Reminders(*rig.Paper);
        QCOMPARE(stored.size(), 14);
        QCOMPARE(stored[0], QStringLiteral("2007-03-15 06:00 first, edited"));
        QCOMPARE(stored[13], QStringLiteral("2007-03-15 19:00 r13"));
        QCOMPARE(rig.Paper->ReminderList.GetReminder(12).SomeData, 5);
    }

    void enterKeys_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<int>("rowAfter");
        QTest::addColumn<bool>("saved");
        QTest::newRow("Enter moves down") << 4 << int(Qt::NoModifier) << 5 << false;
        QTest::newRow("Enter on the last line stays") << 11 << int(Qt::NoModifier) << 11 << false;
        QTest::newRow("Shift+Ctrl+Enter moves down")
            << 4 << int(Qt::ShiftModifier | Qt::ControlModifier) << 5 << false;
        QTest::newRow("Ctrl+Enter saves and closes") << 4 << int(Qt::ControlModifier) << 4 << true;
    }
    void enterKeys()
    {
        QFETCH(int, row);
        QFETCH(int, modifiers);
        QFETCH(int, rowAfter);
        QFETCH(bool, saved);
        TEditorRig rig({"first"});
        rig.TypeNoteLine(row, QStringLiteral("typed"));
        QSignalSpy closed(rig.Form.get(), &TNoteForm::Closed);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return,
                        Qt::KeyboardModifiers(modifiers));
        QCOMPARE(rig.Form->Stringgrid1()->currentRow(), rowAfter);
        QCOMPARE(rig.FileWritten(), saved);
        QCOMPARE(closed.count(), saved ? 1 : 0);
        if (saved)
            QCOMPARE(rig.Saved().Note[row], std::string("typed"));
        else
            QCOMPARE(rig.Paper->Note.size(), std::size_t(1));
    }

    void ellipsisOpensTheRowInTheDialog()
    {
        TEditorRig rig({}, {"09:30 Dentist"});
        rig.Form->PageControl1()->setCurrentIndex(1);
        rig.Grid().setFocus();
        rig.Grid().setCurrentCell(1, 1);
        QString shownStart;
        QString shownAmpm;
        test::WhenModal<TReminderForm>([&](TReminderForm& dialog) {
            shownStart = dialog.Start()->currentText();
            shownAmpm = dialog.Ampm()->currentText();
            dialog.Button1Click();
        });
        rig.Form->EditReminder();
        QCOMPARE(shownStart, QStringLiteral("09:30"));
        QCOMPARE(shownAmpm, QStringLiteral("AM"));
        QCOMPARE(rig.Grid().Cell(0, 1), QStringLiteral("09:30 AM"));
        QCOMPARE(rig.Form->RowObject(1)->Desc, std::vector<std::string>{"detail of Dentist"});

        // A new row: the time picked in the grid, the subject and lead time in the dialog.
        rig.Grid().SetCell(0, 2, QStringLiteral("3 :00 PM"));
        rig.Grid().setCurrentCell(2, 1);
        test::WhenModal<TReminderForm>([&](TReminderForm& dialog) {
            shownStart = dialog.Start()->currentText();
            dialog.SubjectEdit()->setText(QStringLiteral("Tea"));
            dialog.Before()->setCurrentIndex(1);
            QTest::mouseClick(dialog.Button1(), Qt::LeftButton);
        });
        rig.Form->EditReminder();
        QCOMPARE(shownStart, QStringLiteral("03:00"));
        QCOMPARE(rig.Grid().Cell(0, 2), QStringLiteral("03:00 PM"));
        QCOMPARE(rig.Grid().Cell(1, 2), QStringLiteral("Tea"));
        QCOMPARE(rig.Paper->ReminderList.ReminderCount(), 1);  // nothing stored before the save
        QVERIFY(rig.Form->SaveNote());
        QCOMPARE(rig.Saves.Calls, 1);
        const store::TReminder& tea = rig.Saved().ReminderList.GetReminder(1);
        QCOMPARE(tea.Subject, std::string("Tea"));
        QCOMPARE(tea.Before, 1);
        QCOMPARE(tea.Recurrency, -1);
    }

    void ellipsisRefusesAnUnreadableTime()
    {
        TEditorRig rig({}, {"09:30 Dentist"});
        rig.Grid().SetCell(0, 1, QStringLiteral("half past"));
        rig.Grid().setCurrentCell(1, 1);
        bool opened = false;
        test::WhenModal<TReminderForm>([&](TReminderForm& dialog) {
            opened = true;
            dialog.reject();
        }, 200);
        rig.Form->EditReminder();
        // A dialog would have run inside EditReminder.
        QVERIFY(!opened);
        QCOMPARE(rig.Messages, QStringList{"'half past' is not a valid time"});
    }
};

QTEST_MAIN(TstNoteForm)
#include "test_notefrm.moc"
