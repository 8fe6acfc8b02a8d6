// The calendar module is found beside the executable or in ../lib/orvenna from it, works across
// the boundary (exceptions included), and a missing or broken one is reported, never loaded.
#include "ical/calendarservices.h"
#include "store/daypaperlist.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace orvenna;

namespace {

const QString BuiltModule =
    QStringLiteral(ORVENNA_BIN_DIR "/../lib/orvenna/") + QString::fromLatin1(ical::CalendarModuleName);

struct TPlacement {
    const char* Name;
    const char* ModuleFolder;  // relative to the executable's folder; null: no module anywhere
    bool Broken;               // a file of the module's name that is no library
    const char* FailureHas;    // empty: the module loads
};

class CalendarModule : public testing::TestWithParam<TPlacement> {};

TEST_P(CalendarModule, IsFoundWhereInstalledAndReportedWhenUnusable)
{
    const TPlacement& placement = GetParam();
    QTemporaryDir root;
    const QString executableFolder = root.path() + QStringLiteral("/bin");
    ASSERT_TRUE(QDir().mkpath(executableFolder));
    if (placement.ModuleFolder) {
        const QString folder = executableFolder + u'/' + QLatin1String(placement.ModuleFolder);
        ASSERT_TRUE(QDir().mkpath(folder));
        const QString file = folder + u'/' + QString::fromLatin1(ical::CalendarModuleName);
        if (placement.Broken) {
            QFile text(file);
            ASSERT_TRUE(text.open(QIODevice::WriteOnly));
            text.write("not a library\n");
        } else {
            ASSERT_TRUE(QFile::copy(BuiltModule, file)) << BuiltModule.toStdString();
        }
    }

    const ical::TCalendarModule module = ical::LoadCalendarModule(executableFolder);
    if (*placement.FailureHas) {
        EXPECT_EQ(module.Services, nullptr);
        EXPECT_NE(module.Failure.find(placement.FailureHas), std::string::npos) << module.Failure;
        return;
    }
    ASSERT_NE(module.Services, nullptr) << module.Failure;
    store::TDayPaperList notes;
    const ical::TImportSummary summary = module.Services->Import(
        "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nBEGIN:VEVENT\r\nUID:a\r\nDTSTART;VALUE=DATE:20260307\r\n"
        "SUMMARY:Market\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n",
        notes);
    EXPECT_EQ(summary.NotesAdded, 1);
    EXPECT_NE(module.Services->Export(notes, {}, {}).find("SUMMARY:Market"), std::string::npos);
    // The module's exceptions are caught by their type here.
    EXPECT_THROW(module.Services->Import("no calendar", notes), ical::ENotICalendar);
}

INSTANTIATE_TEST_SUITE_P(
    Placements, CalendarModule,
    testing::Values(TPlacement{"BesideTheExecutable", ".", false, ""},
                    TPlacement{"InstalledInLibOrvenna", "../lib/orvenna", false, ""},
                    TPlacement{"Missing", nullptr, false, "lib/orvenna/orvenna-calendar.so exists"},
                    TPlacement{"NoLibrary", ".", true, "cannot be loaded"}),
    [](const testing::TestParamInfo<TPlacement>& info) { return std::string(info.param.Name); });

}  // namespace
