#pragma once
// TReminderForm: the dialog "Reminder" that edits every field of one reminder (subject, start
// time, lead time, recurrence, detail lines, category). The note editor opens it modally on a
// copy of a grid row's reminder, or on none for a new row, and takes the reminder back after
// OK. The dialog never touches the store.
//
// The positions of the Before and Recurrency lists are the stored values of a reminder; no
// selection stores -1. SomeData is never touched.

#include "store/daypapers.h"
#include "store/localformat.h"

#include <QDialog>
#include <QStringList>

#include <functional>
#include <memory>

class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace orvenna::notes {

class TReminderForm final : public QDialog {
    Q_OBJECT

public:
    // The locale record is copied; it formats and reads the start time.
    explicit TReminderForm(const store::TLocalFormat& localFormat, QWidget* parent = nullptr);
    ~TReminderForm() override;

    // The reminder to edit, belonging to no list; without one, showing the dialog creates an
    // empty one and leaves the controls as the opener filled them.
    void SetReminder(std::unique_ptr<store::TReminder> reminder);
    // The edited reminder; null until one was given or the dialog was shown.
    store::TReminder* Reminder() const { return FReminder.get(); }
    // The day; its date part is combined with the chosen time on OK.
    void SetEditDate(store::TDateTime day) { EditDate = day; }

    // The controls, for the opener (which may fill SubjectEdit, Start and Ampm from a grid row
    // before showing) and for tests.
    QLineEdit* SubjectEdit() const { return FSubjectEdit; }
    QComboBox* Start() const { return FStart; }
    QComboBox* Ampm() const { return FAmpm; }
    QComboBox* Before() const { return FBefore; }
    QComboBox* Recurrency() const { return FRecurrency; }
    QPlainTextEdit* Memo() const { return FMemo; }
    QComboBox* Category() const { return FCategory; }
    QPushButton* Button1() const { return FButton1; }
    QPushButton* Button2() const { return FButton2; }

    // The list items, in order.
    // Shows the time of day in the start box and, with 12-hour times, the AM/PM list.
    void ShowTime(store::TDateTime when);

    // The whole hours of the start box: "1:00 " .. "12:00 " with the designed times, else
    // each hour of the day as the start box shows it in that form.
    static QStringList StartItems(const store::TLocalFormat& format = {});
    static QStringList BeforeItems();
    static QStringList RecurrencyItems();
    static QStringList CategoryItems();

    // OK: reads the start time first; a time that cannot be read is shown with the conversion
    // message and the dialog stays open with the reminder unchanged. Otherwise stores every
    // control into the reminder, sets State to 0 and closes with the OK result.
    void Button1Click();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void CreateControls();
    void FormShow();

    store::TLocalFormat LocalFormat;
    std::unique_ptr<store::TReminder> FReminder;
    store::TDateTime EditDate = 0;
    bool Shown = false;

    QLineEdit* FSubjectEdit = nullptr;
    QComboBox* FStart = nullptr;
    QComboBox* FAmpm = nullptr;
    QComboBox* FBefore = nullptr;
    QComboBox* FRecurrency = nullptr;
    QPlainTextEdit* FMemo = nullptr;
    QComboBox* FCategory = nullptr;
    QPushButton* FButton1 = nullptr;
    QPushButton* FButton2 = nullptr;
};

// The editor's text of lines: one line per entry, joined by line feeds.
QString JoinLines(const std::vector<std::string>& lines);
// Lines of an editor's text; an empty text has none and a final line end adds none.
std::vector<std::string> SplitLines(const QString& text);

}  // namespace orvenna::notes
