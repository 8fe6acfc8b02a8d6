#include "desktop/guiservices.h"

#include "desktop/storetexts.h"

#include "store/errors.h"
#include "store/filesave.h"
#include "store/settings.h"
#include "desktop/fontconvert.h"

#include <QClipboard>
#include <QDialog>
#include <QFileDialog>
#include <QGridLayout>
#include <QGuiApplication>
#include <QImage>
#include <QLabel>
#include <QMessageBox>
#include <QPixmap>

namespace orvenna::desktop {
namespace {

TGUIAnswers* Answers = nullptr;

// A small picture next to the file list of a Qt file dialog, following the current file.
void AddPicturePreview(QFileDialog& dialog, const QString& startFile)
{
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    if (!startFile.isEmpty())
        dialog.selectFile(startFile);
    auto* grid = qobject_cast<QGridLayout*>(dialog.layout());
    if (!grid)
        return;
    auto* preview = new QLabel(&dialog);
    preview->setObjectName(QStringLiteral("picturePreview"));
    preview->setFixedSize(160, 160);
    preview->setAlignment(Qt::AlignCenter);
    preview->setFrameShape(QFrame::StyledPanel);
    grid->addWidget(preview, 1, grid->columnCount(), grid->rowCount() - 1, 1);
    auto show = [preview](const QString& file) {
        const QImage picture(file);
        preview->setPixmap(picture.isNull() ? QPixmap()
                                            : QPixmap::fromImage(picture.scaled(
                                                  preview->size(), Qt::KeepAspectRatio,
                                                  Qt::SmoothTransformation)));
    };
    QObject::connect(&dialog, &QFileDialog::currentChanged, preview, show);
    // The file selected at opening is not announced as a change.
    if (!startFile.isEmpty())
        show(startFile);
}

}  // namespace

// ---- message boxes ----------------------------------------------------------------------------

void ShowMessage(QWidget* owner, TMessageKind kind, const QString& message)
{
    // The store's messages come in English; they show in the language of the windows.
    const QString text = StoreMessage(message);
    if (TGUIAnswers* answers = TGUIAnswers::Current()) {
        answers->Messages << text;
        answers->MessageKinds << kind;
        answers->MessageOwners << owner;
        return;
    }
    const QMessageBox::Icon icon = kind == TMessageKind::Error     ? QMessageBox::Critical
                                   : kind == TMessageKind::Warning ? QMessageBox::Warning
                                                                   : QMessageBox::Information;
    QMessageBox box(icon, QString::fromLatin1(ProgramCaption), text, QMessageBox::Ok, owner);
    if (owner == nullptr)
        box.setWindowFlag(Qt::WindowStaysOnTopHint);
    box.exec();
}

// ---- file dialogs -----------------------------------------------------------------------------

std::optional<QString> AskFile(QWidget* owner, const TFileDialogRequest& request)
{
    if (TGUIAnswers* answers = TGUIAnswers::Current()) {
        answers->FileRequests << request;
        if (answers->Files.empty())
            return std::nullopt;
        std::optional<QString> answer = answers->Files.front();
        answers->Files.pop_front();
        return answer;
    }
    QFileDialog dialog(owner, request.Caption);
    dialog.setAcceptMode(request.Save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(request.Save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    if (!request.Filter.isEmpty())
        dialog.setNameFilters(QtNameFilter(request.Filter).split(QStringLiteral(";;")));
    dialog.setDefaultSuffix(request.DefaultSuffix);
    if (request.PicturePreview)
        AddPicturePreview(dialog, request.StartFile);
    else if (!request.StartFile.isEmpty())
        dialog.selectFile(request.StartFile);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst();
}

QString QtNameFilter(const QString& filter)
{
    const QStringList parts = filter.split(u'|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString description = parts[i].trimmed();
        const QString patterns = QString(parts[i + 1]).replace(u';', u' ').trimmed();
        if (description.endsWith(u')') && description.contains(u'('))
            filters << description;
        else
            filters << QStringLiteral("%1 (%2)").arg(description, patterns);
    }
    return filters.join(QStringLiteral(";;"));
}

// ---- modal dialogs, clipboard, export files ---------------------------------------------------

int ExecDialog(QDialog& dialog)
{
    TGUIAnswers* answers = TGUIAnswers::Current();
    if (answers == nullptr)
        return dialog.exec();
    answers->DialogOwners << dialog.parentWidget();
    if (answers->Dialogs.empty())
        return QDialog::Rejected;
    const std::function<int(QDialog&)> answer = std::move(answers->Dialogs.front());
    answers->Dialogs.pop_front();
    return answer(dialog);
}

void SetClipboardText(const QString& text)
{
    if (TGUIAnswers* answers = TGUIAnswers::Current())
        answers->Clipboard << text;
    else
        QGuiApplication::clipboard()->setText(text);
}

bool SaveExportFile(QWidget* owner, const QString& fileName, std::string_view bytes)
{
    try {
        store::SaveFileAtomically(fileName.toStdString(), bytes);
    } catch (const store::EStoreError& error) {
        ShowError(owner, QString::fromStdString(error.Text()));
        return false;
    }
    return true;
}

std::optional<std::string> ReadUserFile(QWidget* owner, const QString& fileName)
{
    try {
        return store::ReadWholeFile(fileName.toStdString());
    } catch (const store::EStoreError& error) {
        ShowError(owner, QString::fromStdString(error.Text()));
        return std::nullopt;
    }
}

// ---- fonts ------------------------------------------------------------------------------------

QFont DialogFont()
{
    QFont font = ToQFont(store::TFont());
    font.setFamilies({font.family(), QStringLiteral("Liberation Sans"), QStringLiteral("Arimo"),
                      QStringLiteral("Nimbus Sans")});
    return font;
}

// ---- answers for tests ------------------------------------------------------------------------

TGUIAnswers::TGUIAnswers() : Before(Answers)
{
    Answers = this;
}

TGUIAnswers::~TGUIAnswers()
{
    Answers = Before;
}

TGUIAnswers* TGUIAnswers::Current()
{
    return Answers;
}

}  // namespace orvenna::desktop
