#pragma once
// TMissedForm, "Missed reminders": the alerts that fell due while the program was not running
// or the computer slept, one row each with date, time and subject. A row opens the note of
// its day (double-click or "&Open") or goes away ("&Dismiss"); "Dismiss &all" and closing the
// window let all of them go. New alerts join the open window; the same alert is never listed
// twice.

#include "store/alertstate.h"
#include "store/localformat.h"

#include <QDate>
#include <QWidget>

#include <vector>

class QPushButton;
class QTreeWidget;

namespace orvenna::app {

class TMissedForm final : public QWidget {
    Q_OBJECT

public:
    explicit TMissedForm(const store::TLocalFormat& format, QWidget* parent = nullptr);

    // Adds the alerts not listed yet, in moment order after those already there.
    void AddAlerts(const std::vector<store::TAlertItem>& alerts);
    const std::vector<store::TAlertItem>& Alerts() const { return Items; }

    // The selected row's note; the row stays.
    void btnOpenClick();
    // Takes the selected row away; the window closes with its last row.
    void btnDismissClick();
    void btnDismissAllClick();

    QTreeWidget* lvMissed = nullptr;
    QPushButton* btnOpen = nullptr;
    QPushButton* btnDismiss = nullptr;
    QPushButton* btnDismissAll = nullptr;

signals:
    // The note of the day paper holding the reminder.
    void OpenNote(QDate day);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void CreateControls();
    void AddRow(const store::TAlertItem& alert);
    int SelectedRow() const;

    const store::TLocalFormat& Format;
    std::vector<store::TAlertItem> Items;  // in row order
};

}  // namespace orvenna::app
