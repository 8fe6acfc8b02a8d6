// The note sheet on a real X display with a window manager, where the window manager decides
// when the window becomes active: the first keys typed once it is active land on line 1, and
// a line ended with Enter goes on on line 2, over many openings.
#include "notes/notefrm.h"
#include "tests/support/tempfolder.h"

#include <QApplication>
#include <QLineEdit>
#include <QTest>

#include <filesystem>

using namespace orvenna;
using namespace orvenna::notes;

class TNoteSheetX11Test final : public QObject {
    Q_OBJECT

private slots:
    void typingStartsOnLineOne()
    {
        test::TTempFolder temp;
        const QString folder = QString::fromStdString(temp.Path().string()) + u'/';
        std::filesystem::copy(ORVENNA_SOURCE_DIR "/images", temp.Path() / "images");
        const store::TDate day = store::EncodeDate(2007, 3, 15);
        store::TDayPaperList papers([day] { return day; });
        store::TDayPaper& paper = papers.AddDayPaper();
        paper.Day = day;
        paper.Note = {"kept"};
        store::TCalSetting settings;
        constexpr int Openings = 50;
        for (int i = 0; i < Openings; ++i) {
            TNoteForm form(papers, paper, store::TLocalFormat{}, folder, settings, [] { return true; });
            form.show();
            QTRY_VERIFY_WITH_TIMEOUT(form.isActiveWindow(), 10000);
            // Keys go where the focus is, as the window manager delivers them.
            QTest::keyClicks(nullptr, QStringLiteral("first"));
            QTest::keyClick(static_cast<QWidget*>(nullptr), Qt::Key_Return);
            QTest::keyClicks(nullptr, QStringLiteral("second"));
            const QString line1 = form.Stringgrid1()->item(0, 0)->text();
            const QString line2 = form.Stringgrid1()->item(1, 0)->text();
            const QString seen = QStringLiteral("opening %1: \"%2\", \"%3\", focus on %4")
                                     .arg(i + 1)
                                     .arg(line1, line2)
                                     .arg(QApplication::focusWidget()
                                              ? QApplication::focusWidget()->metaObject()->className()
                                              : "nothing");
            QVERIFY2(line1 == QStringLiteral("keptfirst") && line2 == QStringLiteral("second"),
                     qPrintable(seen));
            form.close();
        }
    }
};

QTEST_MAIN(TNoteSheetX11Test)
#include "test_notesheetx11.moc"
