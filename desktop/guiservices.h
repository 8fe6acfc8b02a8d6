#pragma once
// The services every window takes from the desktop, in one place: message boxes captioned
// "Orvenna", open and save file dialogs, the program's modal dialogs, the clipboard, writing an
// export file the user chose, the program's drawn pictures and the dialog font.
//
// A test answers in advance instead of a user: while a TGUIAnswers object exists, no message
// box, file dialog or modal dialog run through here is shown; messages are recorded, file
// dialogs take the next answer queued, and modal dialogs the next answering function.
// GUI thread only.

#include <QColor>
#include <QFont>
#include <QIcon>
#include <QList>
#include <QPixmap>
#include <QString>
#include <QStringList>

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

class QDialog;
class QWidget;

namespace orvenna::desktop {

// The caption of every message box, the tray's tool tip and the program's name.
inline constexpr const char* ProgramCaption = "Orvenna";

// ---- message boxes ----------------------------------------------------------------------------

enum class TMessageKind { Information, Warning, Error };
// A message box captioned "Orvenna" over owner; without an owner it stays above every window.
void ShowMessage(QWidget* owner, TMessageKind kind, const QString& text);
inline void ShowError(QWidget* owner, const QString& text)
{
    ShowMessage(owner, TMessageKind::Error, text);
}

// ---- file dialogs -----------------------------------------------------------------------------

// One file dialog a window asks for. Filter is in the "Description|*.ext" form
// ("Sound Files|*.wav"); DefaultSuffix is what a name without one gets ("wav").
struct TFileDialogRequest {
    QString Filter;
    QString DefaultSuffix;
    QString StartFile;            // the file selected when the dialog opens (a suggested name)
    bool PicturePreview = false;  // show the picture under the selection beside the list
    QString Caption;              // the dialog's title; empty: Qt's own
    bool Save = false;            // a save dialog (any name) instead of an open one (existing files)
};

// The file chosen in a dialog over owner; none when the user cancelled.
std::optional<QString> AskFile(QWidget* owner, const TFileDialogRequest& request);

// "Sound Files|*.wav" as Qt writes a name filter: "Sound Files (*.wav)". A description that
// already ends in its patterns ("Bitmaps (*.bmp)|*.bmp") stays as it is; several pairs become
// several filters separated by ";;".
QString QtNameFilter(const QString& filter);

// ---- modal dialogs, clipboard, export files ---------------------------------------------------

// Runs the dialog modally and returns its result.
int ExecDialog(QDialog& dialog);
// Replaces the clipboard's text.
void SetClipboardText(const QString& text);
// Writes an export file the user named, crash-safely; a failure is shown in an error box over
// owner with the file library's message, and false returned.
bool SaveExportFile(QWidget* owner, const QString& fileName, std::string_view bytes);
// Reads a whole file the user named to import; a file that cannot be opened is shown in an
// error box over owner with the file library's message, and none returned.
std::optional<std::string> ReadUserFile(QWidget* owner, const QString& fileName);

// ---- pictures and fonts -----------------------------------------------------------------------

// The face of the program's dialogs: the class library's default font (11 pixels), with narrow
// sans-serif faces to fall back on that keep captions inside fixed layouts.
QFont DialogFont();
// The program's picture, size x size pixels: a calendar sheet with a bell.
QPixmap ProgramPicture(int size);
// The program's picture at 16, 32 and 48 pixels, for windows and the task bar.
QIcon ProgramIcon();
// 16 x 16: a calendar leaf with today's band, for the tray.
QIcon TrayPicture(const QColor& today);
// A 32 x 32 calendar sheet showing the month's number (1..12).
QIcon MonthIcon(int month);
// 16 x 16 command icons of the browser.
QIcon CopyIcon();
QIcon DeleteIcon();
QIcon ReminderIcon();
// 16 x 16 page icons of the note editor: a ruled page, or a clock face.
QIcon NotePageIcon(const QColor& ink);
QIcon ClockIcon();
// A round grey button face with a white check mark or cross, size x size.
QPixmap RoundButtonPicture(int size, bool check);
// 16 x 12 colour swatch with a black frame, for colour lists.
QIcon Swatch(const QColor& color);

// ---- answers for tests ------------------------------------------------------------------------

class TGUIAnswers final {
public:
    // Becomes the answers in force until it is destroyed (the one before comes back then).
    TGUIAnswers();
    ~TGUIAnswers();
    TGUIAnswers(const TGUIAnswers&) = delete;
    TGUIAnswers& operator=(const TGUIAnswers&) = delete;

    // The answers of the next file dialogs, in order; none left: cancelled.
    std::deque<std::optional<QString>> Files;
    // The answers of the next modal dialogs, in order: each is handed the dialog (built, not
    // shown) and returns its result; none left: rejected.
    std::deque<std::function<int(QDialog&)>> Dialogs;

    // What was asked and shown meanwhile, in order.
    QList<TFileDialogRequest> FileRequests;
    QStringList Messages;
    QList<TMessageKind> MessageKinds;
    QList<QWidget*> MessageOwners;
    QList<QWidget*> DialogOwners;  // the parent of each modal dialog run
    QStringList Clipboard;

    // The answers in force; null when the user answers.
    static TGUIAnswers* Current();

private:
    TGUIAnswers* Before = nullptr;
};

}  // namespace orvenna::desktop
