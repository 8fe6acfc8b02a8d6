// The GUI services: the program's file dialog answered while it is open, the filters it is
// given, and the answers a test gives in advance.

#include "desktop/guiservices.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QImage>
#include <QLabel>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

using namespace orvenna;

class TGUIServicesTest final : public QObject {
    Q_OBJECT

private slots:
    void theProgramsFileDialog_data()
    {
        QTest::addColumn<bool>("picture");
        QTest::addColumn<bool>("confirmed");
        QTest::newRow("picture, opened") << true << true;
        QTest::newRow("picture, cancelled") << true << false;
        QTest::newRow("sound, cancelled") << false << false;
    }

    void theProgramsFileDialog()
    {
        QFETCH(bool, picture);
        QFETCH(bool, confirmed);
        QTemporaryDir folder;
        const QString start = folder.path() + (picture ? "/title.bmp" : "/ding.wav");
        if (picture) {
            QImage image(40, 20, QImage::Format_RGB32);
            image.fill(QColor(10, 200, 30));
            QVERIFY(image.save(start));
        } else {
            QFile sound(start);
            QVERIFY(sound.open(QIODevice::WriteOnly));
        }
        QStringList filters;
        bool previewShown = false;
        QTimer poll;
        connect(&poll, &QTimer::timeout, [&] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            poll.stop();
            filters = dialog->nameFilters();
            const auto* preview = dialog->findChild<QLabel*>(QStringLiteral("picturePreview"));
            previewShown = preview && !preview->pixmap().isNull();
            QDialog* asDialog = dialog;  // accept() is public as a QDialog
            confirmed ? asDialog->accept() : asDialog->reject();
        });
        poll.start(10);
        const desktop::TFileDialogRequest request{
            picture ? QStringLiteral("Bitmaps (*.bmp)|*.bmp") : QStringLiteral("Sound Files|*.wav"),
            picture ? QStringLiteral("bmp") : QStringLiteral("wav"), start, picture};
        const std::optional<QString> chosen = desktop::AskFile(nullptr, request);
        QCOMPARE(filters, QStringList{picture ? QStringLiteral("Bitmaps (*.bmp)")
                                              : QStringLiteral("Sound Files (*.wav)")});
        QCOMPARE(previewShown, picture);
        QCOMPARE(chosen, confirmed ? std::optional<QString>(start) : std::nullopt);
    }

    void nameFilters()
    {
        QCOMPARE(desktop::QtNameFilter("Sound Files|*.wav"), QStringLiteral("Sound Files (*.wav)"));
        QCOMPARE(desktop::QtNameFilter("Bitmaps (*.bmp)|*.bmp"), QStringLiteral("Bitmaps (*.bmp)"));
        QCOMPARE(desktop::QtNameFilter("Pictures|*.bmp;*.png|All|*"),
                 QStringLiteral("Pictures (*.bmp *.png);;All (*)"));
    }

    void answersGivenInAdvance_data()
    {
        QTest::addColumn<int>("queued");  // file answers queued before the three dialogs
        QTest::addColumn<QStringList>("chosen");
        QTest::newRow("none: every dialog cancelled") << 0 << QStringList{"-", "-", "-"};
        QTest::newRow("two, in order, then cancelled") << 2 << QStringList{"a", "b", "-"};
    }
    void answersGivenInAdvance()
    {
        QFETCH(int, queued);
        QFETCH(QStringList, chosen);
        desktop::TGUIAnswers outer;
        {
            desktop::TGUIAnswers answers;
            for (int i = 0; i < queued; ++i)
                answers.Files.push_back(QString(QChar(u'a' + i)));
            QStringList got;
            for (int i = 0; i < 3; ++i)
                got << desktop::AskFile(nullptr, {}).value_or(QStringLiteral("-"));
            QCOMPARE(got, chosen);
            QCOMPARE(answers.FileRequests.size(), 3);
            desktop::ShowError(nullptr, QStringLiteral("inner"));
            QDialog dialog;
            QCOMPARE(desktop::ExecDialog(dialog), int(QDialog::Rejected));
            QCOMPARE(answers.DialogOwners.size(), 1);
            QCOMPARE(answers.Messages, QStringList{"inner"});
        }
        // The answers in force before come back.
        QCOMPARE(desktop::TGUIAnswers::Current(), &outer);
        desktop::ShowMessage(nullptr, desktop::TMessageKind::Information, QStringLiteral("outer"));
        QCOMPARE(outer.Messages, QStringList{"outer"});
        QVERIFY(outer.FileRequests.isEmpty());
    }
};

QTEST_MAIN(TGUIServicesTest)
#include "test_guiservices.moc"
