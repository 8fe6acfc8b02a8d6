#include "desktop/filedialogs.h"

#include <QFileDialog>
#include <QGridLayout>
#include <QImage>
#include <QLabel>
#include <QPixmap>

namespace orvenna::desktop {
namespace {

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

std::optional<QString> RunOpenFileDialog(QWidget* parent, const TFileDialogRequest& request)
{
    QFileDialog dialog(parent);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
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

}  // namespace orvenna::desktop
