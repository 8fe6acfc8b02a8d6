// Each translation, loaded as the program loads it, reaches every caption of the windows a user
// meets first: the calendar's menu, the first run's notice, the note editor, the reminder
// dialog, the settings dialog, the browser and an alert. A caption the code leaves out of tr()
// shows up here as English inside a translated window.
#include "tests/support/calendarrig.h"

#include "app/alertbook.h"
#include "app/noticefrm.h"
#include "app/windowmanager.h"
#include "app/translations.h"
#include "desktop/storetexts.h"
#include "notes/browsefrm.h"
#include "notes/icalcommands.h"
#include "notes/notefrm.h"
#include "notes/reminderfrm.h"
#include "popup/slidepopupform.h"
#include "settings/settingfrm.h"
#include "store/alertstate.h"
#include "store/daypaperlist.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>
#include <QToolButton>
#include <QTranslator>
#include <QTreeWidget>
#include <QXmlStreamReader>

using namespace orvenna;
using namespace orvenna::test;

namespace {

// The captions of a window and everything in it that a user reads, each once.
class TCaptions {
public:
    void AddWindow(QWidget& window)
    {
        Add(window.windowTitle());
        AddTree(window);
    }
    void AddMenu(const QMenu& menu)
    {
        Add(menu.title());
        for (const QAction* action : menu.actions()) {
            Add(action->text());
            if (action->menu())
                AddMenu(*action->menu());
        }
    }
    QSet<QString> Texts;

private:
    void Add(const QString& text)
    {
        if (!text.isEmpty())
            Texts.insert(text);
    }
    void AddTree(QWidget& root)
    {
        Add(root.toolTip());
        if (auto* label = qobject_cast<QLabel*>(&root))
            Add(label->text());
        if (auto* button = qobject_cast<QAbstractButton*>(&root)) {
            Add(button->text());
            if (auto* tool = qobject_cast<QToolButton*>(&root); tool && tool->menu())
                AddMenu(*tool->menu());
        }
        if (auto* group = qobject_cast<QGroupBox*>(&root))
            Add(group->title());
        if (auto* tabs = qobject_cast<QTabWidget*>(&root))
            for (int i = 0; i < tabs->count(); ++i)
                Add(tabs->tabText(i));
        if (auto* list = qobject_cast<QComboBox*>(&root); list && !IsData(*list)) {
            for (int i = 0; i < list->count(); ++i)
                Add(list->itemText(i));
            Add(list->currentText());
        }
        if (auto* tree = qobject_cast<QTreeWidget*>(&root); tree && !tree->isHeaderHidden())
            for (int i = 0; i < tree->columnCount(); ++i)
                Add(tree->headerItem()->text(i));
        if (auto* grid = qobject_cast<QTableWidget*>(&root))  // row 0 holds the headers
            for (int i = 0; i < grid->columnCount(); ++i)
                if (const QTableWidgetItem* cell = grid->item(0, i))
                    Add(cell->text());
        if (auto* bar = qobject_cast<QMenuBar*>(&root))
            for (const QAction* action : bar->actions())
                if (action->menu())
                    AddMenu(*action->menu());
        for (const QAction* action : root.actions())
            Add(action->text());
        for (QWidget* child : root.findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            AddTree(*child);
    }
    // Lists of the user's data or the system's names, not of captions: font families, sizes,
    // colour identifiers, years.
    static bool IsData(const QComboBox& list)
    {
        const QWidget* window = list.window();
        if (const auto* settings = qobject_cast<const settings::TSettingForm*>(window))
            return &list == settings->cboFont || &list == settings->cboSize ||
                   &list == settings->cboColor;
        if (const auto* browser = qobject_cast<const notes::TBrowseForm*>(window))
            return &list == browser->YearCombo;
        // The half of the day stays "AM" or "PM", the designed notation the reader takes.
        if (const auto* dialog = qobject_cast<const notes::TReminderForm*>(window))
            return &list == dialog->Ampm();
        return false;
    }
};

// The translator's file: what every source text became, and those left unfinished.
struct TTranslatorFile {
    QSet<QString> SameAsSource;  // translated on purpose by the same text ("OK", "Date")
    QStringList Unfinished;
    int Messages = 0;

    // Whether the text is one translated by itself, "%1 minutes" standing for "5 minutes".
    bool KeptOnPurpose(const QString& text) const
    {
        for (const QString& source : SameAsSource) {
            QString pattern = QRegularExpression::escape(source);
            // escape() puts a backslash before the "%" of "%1".
            pattern.replace(QRegularExpression(QStringLiteral("\\\\%\\d")), QStringLiteral(".+"));
            if (QRegularExpression(u'^' + pattern + u'$').match(text).hasMatch())
                return true;
        }
        return false;
    }
};

TTranslatorFile ReadTranslatorFile(const QString& language)
{
    TTranslatorFile file;
    QFile ts(QStringLiteral(ORVENNA_SOURCE_DIR "/translations/orvenna_%1.ts").arg(language));
    if (!ts.open(QIODevice::ReadOnly))
        return file;
    QXmlStreamReader xml(&ts);
    QString source;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == u"source") {
            source = xml.readElementText();
        } else if (xml.name() == u"translation") {
            ++file.Messages;
            const QString type = xml.attributes().value(QStringLiteral("type")).toString();
            // A text with a number has its forms inside, one element each.
            const QString text = xml.readElementText(QXmlStreamReader::IncludeChildElements);
            if (!type.isEmpty() || text.trimmed().isEmpty())
                file.Unfinished << source + QStringLiteral(" (") +
                                       (type.isEmpty() ? QStringLiteral("empty") : type) + u')';
            else if (text == source)
                file.SameAsSource.insert(source);
        }
    }
    if (xml.hasError())  // the rest of the file went unread
        file.Unfinished << xml.errorString();
    return file;
}

// A word of two letters or more: a caption, not "...", "B" or a number.
bool HasWords(const QString& text)
{
    int run = 0;
    for (const QChar c : text) {
        run = c.isLetter() ? run + 1 : 0;
        if (run >= 2)
            return true;
    }
    return false;
}

// The captions of the first windows, made as the program makes them, with whatever translation
// is installed.
QSet<QString> FirstWindowsCaptions()
{
    TCaptions captions;
    TCalendarRig rig;
    app::TCalendarForm& calendar = rig.Create();
    captions.AddMenu(calendar.PopupMenu());

    app::TForm1 notice;
    captions.AddWindow(notice);

    store::TDayPaperList& papers = rig.Core->DayPapers();
    store::TDayPaper& paper = papers.AddDayPaper();
    paper.Day = DayCount(Today);
    store::TReminder& reminder = paper.ReminderList.AddReminder();
    reminder.When = paper.Day + 0.6;
    reminder.Subject = "Dentist";
    const notes::TSaveNotes noSave = [] { return true; };
    notes::TNoteForm editor(papers, paper, rig.Core->LocalFormat(), rig.Folder, rig.Core->Settings(),
                            noSave);
    captions.AddWindow(editor);

    notes::TReminderForm dialog(rig.Core->LocalFormat());
    captions.AddWindow(dialog);

    settings::TSettingForm settingsDialog(rig.Platform);
    store::TRegionalChoices choices;
    settingsDialog.Regional = &choices;
    captions.AddWindow(settingsDialog);

    notes::TBrowseForm browser(papers, rig.Core->LocalFormat(), rig.Core->Settings(), Today.year(),
                               Today.month(), noSave);
    notes::TICalCommands commands(browser, papers, noSave);
    captions.AddWindow(browser);

    // An alert with a lead time, so that every choice of its snooze button shows. Popups of an
    // earlier call may still be sliding out; only the new one counts.
    const QWidgetList before = QApplication::topLevelWidgets();
    rig.Windows->ShowAlert({paper.Day + 0.59, paper.Day, reminder.When, 2, 0, "Dentist"});
    for (QWidget* window : QApplication::topLevelWidgets())
        if (auto* popup = qobject_cast<popup::TfrmSlidePopUp*>(window);
            popup && !before.contains(window)) {
            popup->lblText->clear();  // the subject: the user's own words
            captions.AddWindow(*popup);
            popup->close();
        }
    return captions.Texts;
}

}  // namespace

class TTranslationsTest final : public QObject {
    Q_OBJECT

private slots:
    void everyCaptionOfTheFirstWindowsIsTranslated_data()
    {
        QTest::addColumn<QString>("language");
        QTest::newRow("German") << "de";
        QTest::newRow("French") << "fr";
    }
    void everyCaptionOfTheFirstWindowsIsTranslated()
    {
        QFETCH(QString, language);
        const TTranslatorFile file = ReadTranslatorFile(language);
        QVERIFY(file.Messages > 100);
        QVERIFY2(file.Unfinished.isEmpty(), qPrintable(file.Unfinished.join(u'\n')));

        const QSet<QString> english = FirstWindowsCaptions();
        QTranslator translator;
        QVERIFY(app::LoadProgramTranslation(translator, QLocale(language)));
        QCoreApplication::installTranslator(&translator);
        const QSet<QString> translated = FirstWindowsCaptions();
        QCoreApplication::removeTranslator(&translator);

        QStringList untranslated;
        for (const QString& text : translated)
            if (english.contains(text) && HasWords(text) && !file.KeptOnPurpose(text))
                untranslated << text;
        untranslated.sort();
        QVERIFY2(untranslated.isEmpty(), qPrintable(untranslated.join(u'\n')));
        QVERIFY(translated.size() > 100);
    }

    // English needs no file: the C locale and a language without a translation load none and
    // leave every caption as the code writes it.
    void untranslatedLanguagesKeepTheEnglishTexts_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::newRow("C") << "C";
        QTest::newRow("US English") << "en_US";
        QTest::newRow("Spanish") << "es_ES";
    }
    void untranslatedLanguagesKeepTheEnglishTexts()
    {
        QFETCH(QString, locale);
        QTranslator translator;
        QVERIFY(!app::LoadProgramTranslation(translator, QLocale(locale)));
        const QSet<QString> before = FirstWindowsCaptions();
        QCOMPARE(app::InstallTranslations(*QCoreApplication::instance(), QLocale(locale)), QString());
        QCOMPARE(FirstWindowsCaptions(), before);
        QVERIFY(before.contains(QStringLiteral("Next Month")));
    }

    // The store writes its messages in English; the windows show them in the language, the
    // values (file names, what the system said) as they were.
    void storeMessagesInTheLanguage_data()
    {
        QTest::addColumn<QString>("language");  // empty: none installed
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("shown");
        const QString openFailure = QStringLiteral("Cannot open file \"/tmp/100%1.cal\". Denied");
        QTest::newRow("English, a name holding %1") << "" << openFailure << openFailure;
        QTest::newRow("English, a time") << "" << "'25:00' is not a valid time"
                                         << "'25:00' is not a valid time";
        QTest::newRow("German, a name holding %1")
            << "de" << openFailure
            << QStringLiteral("Die Datei „/tmp/100%1.cal“ kann nicht geöffnet werden. Denied");
        QTest::newRow("German, a fixed message") << "de" << "Stream read error"
                                                 << QStringLiteral("Lesefehler im Datenstrom");
        QTest::newRow("German, a message of no pattern") << "de" << "Disk on fire"
                                                         << "Disk on fire";
    }
    void storeMessagesInTheLanguage()
    {
        QFETCH(QString, language);
        QFETCH(QString, message);
        QFETCH(QString, shown);
        QTranslator translator;
        if (!language.isEmpty()) {
            QVERIFY(app::LoadProgramTranslation(translator, QLocale(language)));
            QCoreApplication::installTranslator(&translator);
        }
        const QString text = desktop::StoreMessage(message);
        QCoreApplication::removeTranslator(&translator);
        QCOMPARE(text, shown);
    }
};

QTEST_MAIN(TTranslationsTest)
#include "test_translations.moc"
