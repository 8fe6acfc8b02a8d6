#pragma once
// TSyncPage, the settings dialog's "Sync" page: the calendar server the notes sync with (its
// address, the user name and the password), "Sync now", the calendar found and how the last
// sync went, and the addresses of read-only calendars to show beside the notes.
//
// The page only edits and shows: what it holds is read with EditedAccount() and
// EditedPassword() by whoever runs the syncs, on OK or on "Sync now", and the state of the
// syncs is handed in through ShowState(). The password field starts empty; typing one replaces
// the password known (none typed keeps it).

#include "store/syncaccount.h"

#include <QString>
#include <QStringList>
#include <QWidget>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace orvenna::settings {

// Why an address cannot be used: a server address must be http(s), a subscription http(s) or
// webcal(s); empty when it can (an empty server address too: no sync).
QString ServerAddressProblem(const QString& address);
QString SubscriptionAddressProblem(const QString& address);

class TSyncPage final : public QWidget {
    Q_OBJECT

public:
    explicit TSyncPage(QWidget* parent = nullptr);

    // Fills the fields from the account; passwordKnown shows that one is kept.
    void LoadAccount(const store::TSyncAccount& account, bool passwordKnown);
    // The account as edited: fields trimmed, one subscription a line, blank lines left out.
    store::TSyncAccount EditedAccount() const;
    QString EditedPassword() const;
    // The first address that cannot be used, in words; empty when all can.
    QString Problem() const;

    // The calendar found (empty: none yet), one line on the syncs (SyncStateText), the errors
    // (one a line, shortened to the page's width; beyond two they are counted, and all show
    // whole in the errors' tool tip), and whether a sync runs (which disables "Sync now").
    void ShowState(const QString& calendar, const QString& state, const QStringList& errors,
                   bool running);

    QLineEdit* edtServer = nullptr;
    QLineEdit* edtUser = nullptr;
    QLineEdit* edtPassword = nullptr;
    QPushButton* btnSyncNow = nullptr;
    QLabel* lbCalendar = nullptr;
    QLabel* lbState = nullptr;
    QLabel* lbErrors = nullptr;
    QPlainTextEdit* edtSubscriptions = nullptr;

signals:
    // "Sync now" was pressed with addresses that can be used.
    void SyncNowClicked();
    // "Sync now" was pressed with an address that cannot be used (the problem in words).
    void ProblemFound(const QString& problem);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateControls();
    void ShortenErrors();

    QStringList Errors;  // as handed in, before shortening

    store::TSyncAccount Loaded;  // what the page does not edit comes from here
};

}  // namespace orvenna::settings
