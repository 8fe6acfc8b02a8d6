#include "notes/aboutfrm.h"

#include "desktop/guiservices.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace orvenna::notes {

QString ProgramVersion() { return QStringLiteral(ORVENNA_VERSION); }

TAboutForm::TAboutForm(QWidget* owner) : QDialog(owner)
{
    setWindowTitle(tr("About Orvenna"));
    setModal(true);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);

    Picture = new QLabel(this);
    Picture->setPixmap(desktop::ProgramPicture(64));
    Picture->setFixedSize(64, 64);

    NameLabel = new QLabel(QString::fromLatin1(desktop::ProgramCaption), this);
    QFont nameFont = NameLabel->font();
    nameFont.setBold(true);
    nameFont.setPointSizeF(nameFont.pointSizeF() * 1.6);
    NameLabel->setFont(nameFont);
    VersionLabel = new QLabel(tr("Version %1").arg(ProgramVersion()), this);
    auto* purpose = new QLabel(tr("A calendar and reminders on your desktop."), this);

    auto* texts = new QVBoxLayout;
    texts->addWidget(NameLabel);
    texts->addWidget(VersionLabel);
    texts->addWidget(purpose);
    texts->addStretch();
    auto* top = new QHBoxLayout;
    top->addWidget(Picture, 0, Qt::AlignTop);
    top->addSpacing(12);
    top->addLayout(texts);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

}  // namespace orvenna::notes
