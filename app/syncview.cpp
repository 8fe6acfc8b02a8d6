#include "app/syncview.h"

#include "app/syncrunner.h"
#include "desktop/guiservices.h"
#include "settings/syncpage.h"

#include <QInputDialog>
#include <QLineEdit>

namespace orvenna::app {

QString TrayToolTip(const TSyncRunner& sync, double today)
{
    QStringList lines{QString::fromLatin1(desktop::ProgramCaption)};
    const store::TSyncAccount& account = sync.Account();
    if (account.HasServer() || !account.Subscriptions.empty()) {
        const QString state = SyncStateText(sync.Status(), today);
        if (!state.isEmpty())
            lines << state;
        lines << SyncErrorLines(sync.Status());
    }
    return lines.join(QLatin1Char('\n'));
}

void ConnectSyncPage(settings::TSyncPage& page, TSyncRunner& sync, double today)
{
    page.LoadAccount(sync.Account(), sync.HasPassword());
    const auto show = [&page, &sync, today] {
        const TSyncStatus& status = sync.Status();
        page.ShowState(status.Collection, SyncStateText(status, today), SyncErrorLines(status),
                       status.Running);
    };
    show();
    QObject::connect(&sync, &TSyncRunner::StatusChanged, &page, show);
    QObject::connect(&page, &settings::TSyncPage::SyncNowClicked, &page, [&page, &sync] {
        const store::TSyncAccount account = page.EditedAccount();
        if (account == sync.Account() && page.EditedPassword().isEmpty()) {
            sync.SyncNow();
            return;
        }
        const QString failure = sync.SetAccount(account, page.EditedPassword());
        if (!failure.isEmpty())
            desktop::ShowError(&page, failure);
        page.edtPassword->clear();
    });
    QObject::connect(&page, &settings::TSyncPage::ProblemFound, &page,
                     [&page](const QString& problem) { desktop::ShowError(&page, problem); });
}

void ApplySyncPage(const settings::TSyncPage& page, TSyncRunner& sync)
{
    const store::TSyncAccount account = page.EditedAccount();
    if (account == sync.Account() && page.EditedPassword().isEmpty())
        return;
    const QString failure = sync.SetAccount(account, page.EditedPassword());
    if (!failure.isEmpty())
        desktop::ShowError(nullptr, failure);
}

void AskSyncPassword(QWidget* owner, TSyncRunner& sync)
{
    const store::TSyncAccount& account = sync.Account();
    QInputDialog dialog(owner);
    dialog.setWindowTitle(QString::fromLatin1(desktop::ProgramCaption));
    dialog.setLabelText(TSyncRunner::tr("Password of %1 at %2:")
                            .arg(QString::fromStdString(account.User),
                                 QString::fromStdString(account.Server)));
    dialog.setTextEchoMode(QLineEdit::Password);
    if (desktop::ExecDialog(dialog) != QDialog::Accepted || dialog.textValue().isEmpty())
        return;
    sync.SetPassword(dialog.textValue());
    sync.SyncNow();
}

}  // namespace orvenna::app
