#include "app/missedfrm.h"

#include "app/appcore.h"
#include "store/localetext.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace orvenna::app {

TMissedForm::TMissedForm(const store::TLocalFormat& format, QWidget* parent)
    : QWidget(parent, Qt::Window), Format(format)
{
    setObjectName(QStringLiteral("MissedForm"));
    setWindowTitle(tr("Missed reminders"));
    setAttribute(Qt::WA_QuitOnClose, false);
    CreateControls();
    resize(420, 240);
}

void TMissedForm::CreateControls()
{
    lvMissed = new QTreeWidget(this);
    lvMissed->setHeaderLabels({tr("Date"), tr("Time"), tr("Subject")});
    lvMissed->setRootIsDecorated(false);
    lvMissed->setSelectionMode(QAbstractItemView::SingleSelection);
    lvMissed->header()->setStretchLastSection(true);
    lvMissed->setColumnWidth(0, 100);
    lvMissed->setColumnWidth(1, 80);
    btnOpen = new QPushButton(tr("&Open"), this);
    btnDismiss = new QPushButton(tr("&Dismiss"), this);
    btnDismissAll = new QPushButton(tr("Dismiss &all"), this);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnOpen);
    buttons->addWidget(btnDismiss);
    buttons->addWidget(btnDismissAll);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lvMissed);
    layout->addLayout(buttons);
    connect(btnOpen, &QPushButton::clicked, this, &TMissedForm::btnOpenClick);
    connect(btnDismiss, &QPushButton::clicked, this, &TMissedForm::btnDismissClick);
    connect(btnDismissAll, &QPushButton::clicked, this, &TMissedForm::btnDismissAllClick);
    connect(lvMissed, &QTreeWidget::itemDoubleClicked, this, &TMissedForm::btnOpenClick);
}

void TMissedForm::AddAlerts(const std::vector<store::TAlertItem>& alerts)
{
    for (const store::TAlertItem& alert : alerts)
        if (std::ranges::find(Items, alert) == Items.end())
            AddRow(alert);
    if (lvMissed->currentItem() == nullptr && lvMissed->topLevelItemCount() > 0)
        lvMissed->setCurrentItem(lvMissed->topLevelItem(0));
}

void TMissedForm::AddRow(const store::TAlertItem& alert)
{
    Items.push_back(alert);
    auto* row = new QTreeWidgetItem(lvMissed);
    row->setText(0, QString::fromStdString(store::FormatShortDate(Format, alert.Moment)));
    row->setText(1, QString::fromStdString(store::FormatReminderTime(Format, alert.Moment)));
    row->setText(2, QString::fromStdString(alert.Subject));
}

int TMissedForm::SelectedRow() const
{
    return lvMissed->currentItem() ? lvMissed->indexOfTopLevelItem(lvMissed->currentItem()) : -1;
}

void TMissedForm::btnOpenClick()
{
    const int row = SelectedRow();
    if (row >= 0)
        emit OpenNote(DateFromDays(Items[static_cast<std::size_t>(row)].PaperDay));
}

void TMissedForm::btnDismissClick()
{
    const int row = SelectedRow();
    if (row < 0)
        return;
    delete lvMissed->takeTopLevelItem(row);
    Items.erase(Items.begin() + row);
    if (Items.empty())
        close();
}

void TMissedForm::btnDismissAllClick()
{
    close();
}

void TMissedForm::closeEvent(QCloseEvent* event)
{
    lvMissed->clear();
    Items.clear();
    QWidget::closeEvent(event);
}

}  // namespace orvenna::app
