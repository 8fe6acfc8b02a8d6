#include "notes/icalcommands.h"

#include "desktop/guiservices.h"
#include "ical/calendarservices.h"
#include "notes/browsefrm.h"
#include "store/daypaperlist.h"
#include "store/errors.h"

#include <QAction>
#include <QButtonGroup>
#include <QCalendarWidget>
#include <QDateEdit>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QRadioButton>

#include <algorithm>

namespace orvenna::notes {
namespace {

constexpr qint64 MaxCalendarBytes = 64 << 20;  // a larger file is refused, not read

QString FileFilter()
{
    return TICalCommands::tr("iCalendar files (*.ics)|*.ics|All files (*)|*");
}

store::TDate DayOf(const QDate& date)
{
    return store::EncodeDate(date.year(), date.month(), date.day());
}

}  // namespace

std::optional<TDayRange> AskICalRange(QWidget* owner, int year, int firstWeekday)
{
    QDialog dialog(owner);
    dialog.setWindowTitle(TICalCommands::tr("Export iCalendar"));
    auto* wholeYear = new QRadioButton(TICalCommands::tr("The year %1").arg(year), &dialog);
    auto* days = new QRadioButton(TICalCommands::tr("From"), &dialog);
    auto* from = new QDateEdit(QDate(year, 1, 1), &dialog);
    auto* to = new QDateEdit(QDate(year, 12, 31), &dialog);
    for (QDateEdit* edit : {from, to}) {
        edit->setCalendarPopup(true);
        // Qt counts Monday 1 .. Sunday 7.
        edit->calendarWidget()->setFirstDayOfWeek(
            static_cast<Qt::DayOfWeek>(firstWeekday % 7 == 0 ? 7 : firstWeekday % 7));
        edit->setEnabled(false);
        QObject::connect(days, &QRadioButton::toggled, edit, &QWidget::setEnabled);
    }
    wholeYear->setChecked(true);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    auto* layout = new QGridLayout(&dialog);
    layout->addWidget(wholeYear, 0, 0, 1, 4);
    layout->addWidget(days, 1, 0);
    layout->addWidget(from, 1, 1);
    layout->addWidget(new QLabel(TICalCommands::tr("to"), &dialog), 1, 2);
    layout->addWidget(to, 1, 3);
    layout->addWidget(buttons, 2, 0, 1, 4);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    if (desktop::ExecDialog(dialog) != QDialog::Accepted)
        return std::nullopt;
    if (wholeYear->isChecked())
        return TDayRange{store::EncodeDate(year, 1, 1), store::EncodeDate(year, 12, 31)};
    // A range typed backwards means the same days.
    const auto [first, last] = std::minmax(from->date(), to->date());
    return TDayRange{DayOf(first), DayOf(last)};
}

TICalCommands::TICalCommands(TBrowseForm& browser, store::TDayPaperList& dayPapers,
                             TSaveNotes saveNotes)
    : QObject(&browser), Browser(browser), DayPapers(dayPapers), SaveNotes(std::move(saveNotes))
{
    ExportICal = new QAction(tr("Export iCalendar..."), this);
    ImportICal = new QAction(tr("Import iCalendar..."), this);
    Browser.InsertFileCommand(ExportICal);
    Browser.InsertFileCommand(ImportICal);
    connect(ExportICal, &QAction::triggered, this, &TICalCommands::ExportICalClick);
    connect(ImportICal, &QAction::triggered, this, &TICalCommands::ImportICalClick);
}

void TICalCommands::ExportICalClick()
{
    const int year = Browser.BrowseYear;
    const auto range = AskICalRange(&Browser, year, Browser.Format().FirstWeekday);
    if (!range)
        return;
    desktop::TFileDialogRequest request;
    request.Caption = tr("Export iCalendar");
    request.Filter = FileFilter();
    request.StartFile = QStringLiteral("Orvenna %1.ics").arg(year);
    request.Save = true;
    const std::optional<QString> fileName = desktop::AskFile(&Browser, request);
    if (!fileName)
        return;
    std::string text;
    try {
        text = ical::CalendarServices().Export(DayPapers, range->first, range->second);
    } catch (const ical::ECalendarModuleMissing& error) {
        ShowError(QString::fromStdString(error.what()));
        return;
    }
    desktop::SaveExportFile(&Browser, *fileName, text);
}

void TICalCommands::ImportICalClick()
{
    desktop::TFileDialogRequest request;
    request.Caption = tr("Import iCalendar");
    request.Filter = FileFilter();
    const std::optional<QString> chosen = desktop::AskFile(&Browser, request);
    if (!chosen)
        return;
    const QString& fileName = *chosen;
    if (QFileInfo(fileName).size() > MaxCalendarBytes) {
        ShowError(tr("%1 is too large for a calendar; nothing imported.").arg(fileName));
        return;
    }
    const std::optional<std::string> bytes = desktop::ReadUserFile(&Browser, fileName);
    if (!bytes)
        return;
    ical::TImportSummary summary;
    try {
        summary = ical::CalendarServices().Import(*bytes, DayPapers);
    } catch (const ical::ECalendarModuleMissing& error) {
        ShowError(QString::fromStdString(error.what()));
        return;
    } catch (const store::EStoreError& error) {
        ShowError(QString::fromStdString(error.Text()));
        return;
    } catch (const ical::ENotICalendar& error) {
        ShowError(tr("%1: %2; nothing imported.")
                      .arg(fileName, QString::fromUtf8(error.what())));
        return;
    }
    // The saver reports a failure; what was imported stays in the store for this run.
    if (summary.Added() > 0)
        SaveNotes();
    desktop::ShowMessage(&Browser, desktop::TMessageKind::Information,
                         QString::fromStdString(summary.Text()));
}

void TICalCommands::ShowError(const QString& text)
{
    desktop::ShowError(&Browser, text);
}

}  // namespace orvenna::notes
