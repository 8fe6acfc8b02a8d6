#pragma once
// The program's open-file dialogs: a request in the "Description|*.ext" filter form, answered
// by Qt's file dialog, with a picture preview when asked for.

#include <QString>

#include <functional>
#include <optional>

class QWidget;

namespace orvenna::desktop {

// One open-file dialog a window asks for. Filter is in the "Description|*.ext" form
// ("Sound Files|*.wav"); DefaultSuffix is what a name without one gets ("wav").
struct TFileDialogRequest {
    QString Filter;
    QString DefaultSuffix;
    QString StartFile;          // the edit box's text when the dialog opens
    bool PicturePreview = false;  // show the picture under the selection beside the list
};

// Runs a file dialog over the parent and returns the file chosen; none when the user cancelled.
using TFileDialogRunner =
    std::function<std::optional<QString>(QWidget* parent, const TFileDialogRequest& request)>;

// The file dialog the program uses: an open dialog for existing files with the request's
// filter, and a preview pane when the request asks for one.
std::optional<QString> RunOpenFileDialog(QWidget* parent, const TFileDialogRequest& request);

// "Sound Files|*.wav" as Qt writes a name filter: "Sound Files (*.wav)". A description that
// already ends in its patterns ("Bitmaps (*.bmp)|*.bmp") stays as it is; several pairs become
// several filters separated by ";;".
QString QtNameFilter(const QString& filter);

}  // namespace orvenna::desktop
