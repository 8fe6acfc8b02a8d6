// The browser's iCalendar commands on the offscreen platform: file dialogs, the range dialog and
// the message boxes taken by hooks, the notes file in a temporary folder.
#include "notes/browsefrm.h"
#include "notes/icalcommands.h"
#include "desktop/guiservices.h"
#include "store/daypaperlist.h"
#include "store/settings.h"
#include "tests/support/scopedzone.h"
#include "tests/support/notessaver.h"
#include "tests/support/tempfolder.h"

#include <QAction>
#include <QApplication>
#include <QDateEdit>
#include <QDialog>
#include <QDialogButtonBox>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

using namespace orvenna;
using namespace orvenna::notes;

namespace {

class TRig final {
public:
    TRig()
    {
        for (const auto& [year, text] : {std::pair{2004, "in 2004"}, std::pair{2005, "in 2005"}}) {
            store::TDayPaper& paper = Papers.AddDayPaper();
            paper.Day = store::EncodeDate(year, 3, 7);
            paper.Note = {text};
            store::TReminder& reminder = paper.ReminderList.AddReminder();
            reminder.When = paper.Day + 0.5;
            reminder.Subject = std::string("noon ") + text;
        }
        Browser = std::make_unique<TBrowseForm>(Papers, store::TLocalFormat{}, Settings, 2004, 3,
                                                Saves.Saver());
        // The core announces each save to every window.
        Saves.Announce = [this] { Browser->NotesChanged(); };
        Commands = new TICalCommands(*Browser, Papers, Saves.Saver());
    }

    test::TScopedZone Zone{"Europe/Berlin"};
    test::TTempFolder Temp;
    QString Folder = QString::fromStdString(Temp.Path().string());
    store::TDayPaperList Papers;
    store::TCalSetting Settings;
    std::unique_ptr<TBrowseForm> Browser;
    TICalCommands* Commands = nullptr;
    // The range dialog's next answer: the whole year as it offers it, or cancelled.
    void AnswerRange(bool wholeYear)
    {
        Answers.Dialogs = {[wholeYear](QDialog&) {
            return wholeYear ? QDialog::Accepted : QDialog::Rejected;
        }};
    }
    // The next file dialog's answer.
    void AnswerFile(const QString& file) { Answers.Files = {file}; }
    QStringList Shown(desktop::TMessageKind kind) const
    {
        QStringList shown;
        for (qsizetype i = 0; i < Answers.Messages.size(); ++i)
            if (Answers.MessageKinds[i] == kind)
                shown << Answers.Messages[i];
        return shown;
    }
    QStringList Errors() const { return Shown(desktop::TMessageKind::Error) + SaveErrors; }
    QStringList Summaries() const { return Shown(desktop::TMessageKind::Information); }
    QStringList Suggested() const
    {
        QStringList suggested;
        for (const desktop::TFileDialogRequest& request : Answers.FileRequests)
            suggested << request.StartFile;
        return suggested;
    }

    desktop::TGUIAnswers Answers;
    QStringList SaveErrors;
    test::TNotesSaver Saves{Papers, Temp.File("2004.cal"), SaveErrors};
};

}  // namespace

class TestICalCommands final : public QObject {
    Q_OBJECT

private slots:
    void menuHoldsBothCommands();
    void exportWritesTheChosenDays();
    void importAddsSavesAndShowsTheSummary();
    void rangeDialog();
};

void TestICalCommands::menuHoldsBothCommands()
{
    TRig rig;
    QStringList file;
    for (const QAction* action : rig.Browser->FileMenu()->actions())
        file << (action->isSeparator() ? QStringLiteral("-") : action->text());
    QCOMPARE(file, (QStringList{"&Export...", "Export iCalendar...", "Import iCalendar...", "-",
                                "&Close"}));
}

void TestICalCommands::exportWritesTheChosenDays()
{
    TRig rig;
    const QString file = rig.Folder + "/out.ics";
    rig.AnswerRange(false);
    rig.AnswerFile(file);
    rig.Commands->ExportICal->trigger();  // the range dialog cancelled: no file is asked for
    QCOMPARE(rig.Answers.DialogOwners, QList<QWidget*>{rig.Browser.get()});
    QVERIFY(rig.Suggested().isEmpty());

    rig.AnswerRange(true);  // the year 2004, the browsed one
    rig.Commands->ExportICal->trigger();
    QCOMPARE(rig.Suggested(), QStringList{"Orvenna 2004.ics"});
    const std::string text = test::ReadBytes(file.toStdString());
    QVERIFY(text.find("SUMMARY:in 2004\r\n") != std::string::npos);
    QVERIFY(text.find("SUMMARY:noon in 2004\r\n") != std::string::npos);
    QVERIFY(text.find("2005") == std::string::npos);

    rig.AnswerRange(true);
    rig.AnswerFile(rig.Folder + "/missing/out.ics");
    rig.Commands->ExportICal->trigger();
    QCOMPARE(rig.Errors().size(), 1);
    QVERIFY(rig.Errors()[0].startsWith("Cannot create file"));
}

void TestICalCommands::importAddsSavesAndShowsTheSummary()
{
    TRig rig;
    rig.AnswerFile(ORVENNA_TEST_DATA "/web_calendar_family.ics");
    rig.Commands->ImportICal->trigger();
    QCOMPARE(rig.Summaries().size(), 1);
    QVERIFY(rig.Summaries()[0].startsWith("Added 3 reminders and 1 note; skipped 2"));
    QCOMPARE(rig.Saves.Calls, 1);
    store::TDayPaperList saved;
    saved.LoadFromFile((rig.Folder + "/2004.cal").toStdString());
    QCOMPARE(saved.Count(), rig.Papers.Count());
    QCOMPARE(saved.Count(), 2 + 3);  // 15, 20 and 24 March 2026

    rig.AnswerFile(ORVENNA_TEST_DATA "/web_calendar_family.ics");
    rig.Commands->ImportICal->trigger();
    QCOMPARE(rig.Summaries()[1], QStringLiteral("Added 0 reminders and 0 notes; skipped 6: 4 already "
                                              "there, 1 cancelled, 1 changed occurrences of "
                                              "repeating items."));
    QCOMPARE(rig.Saves.Calls, 1);

    // Not a calendar: an error, the store and the file as they were.
    rig.AnswerFile(ORVENNA_TEST_DATA "/one_paper_dentist.cal");
    const std::string before = test::ReadBytes((rig.Folder + "/2004.cal").toStdString());
    rig.Commands->ImportICal->trigger();
    QCOMPARE(rig.Errors().size(), 1);
    QVERIFY(
        rig.Errors()[0].endsWith("not an iCalendar file (no VCALENDAR found); nothing imported."));
    QCOMPARE(rig.Summaries().size(), 2);
    QCOMPARE(test::ReadBytes((rig.Folder + "/2004.cal").toStdString()), before);
}

void TestICalCommands::rangeDialog()
{
    const auto answer = [](bool range, QDate from, QDate to, bool accept) {
        QTimer::singleShot(0, [=] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog != nullptr);
            dialog->findChildren<QRadioButton*>().at(range ? 1 : 0)->setChecked(true);
            const QList<QDateEdit*> edits = dialog->findChildren<QDateEdit*>();
            QCOMPARE(edits.at(0)->isEnabled(), range);
            edits.at(0)->setDate(from);
            edits.at(1)->setDate(to);
            accept ? dialog->accept() : dialog->reject();
        });
        return AskICalRange(nullptr, 2026);
    };
    const auto day = [](int y, int m, int d) { return store::EncodeDate(y, m, d); };
    QCOMPARE(answer(false, QDate(2020, 1, 1), QDate(2020, 1, 2), true),
             (std::optional(TDayRange{day(2026, 1, 1), day(2026, 12, 31)})));
    // A range typed backwards is the same days.
    QCOMPARE(answer(true, QDate(2026, 5, 31), QDate(2026, 5, 1), true),
             (std::optional(TDayRange{day(2026, 5, 1), day(2026, 5, 31)})));
    QCOMPARE(answer(true, QDate(2026, 5, 1), QDate(2026, 5, 31), false),
             std::optional<TDayRange>());
}

QTEST_MAIN(TestICalCommands)
#include "test_icalcommands.moc"
