#pragma once
// TCaptureFiles: the pictures of the wallpaper behind the calendar, kept in the program folder
// from one refresh to the next and from one run to the next: "bk.bmp" behind the day grid,
// "images/applebar.bmp" behind the title box, and beside them "bk.key", what both were
// composed from, so that a start whose desktop did not change can take them as they are.
//
// A folder that cannot be written is not a failure here: each write says whether it worked,
// and the caller keeps its own copy of what it could not write.

#include <QImage>
#include <QString>

#include <optional>

namespace orvenna::app {

class TCaptureFiles final {
public:
    // programFolder ends with '/'.
    explicit TCaptureFiles(QString programFolder);

    // The last captures put together as the window's area, the title box on top of the grid
    // (both the window's full width), with the key they were composed from; none when the key
    // or a picture is missing or the two do not fit together.
    struct TLastCapture {
        QImage Window;
        QString Key;
    };
    std::optional<TLastCapture> LastCapture() const;

    // Each writes its picture as a bitmap; false when it cannot be written.
    bool SaveGrid(const QImage& picture) const;
    bool SaveTitle(const QImage& picture) const;
    // Writes the key when both pictures were written and the key is known; otherwise removes
    // the key, so that the next start composes afresh.
    void SaveKey(const QString& key, bool picturesSaved) const;

    // The files hold these pictures already (a start that took the last captures shows them
    // unchanged): Grid() and Title() give them without reading the files.
    void KeepAsWritten(const QImage& grid, const QImage& title) const;

    // The pictures as written; null when missing or unreadable. Each file is read once after
    // its last write through this object (nothing else writes it); its picture is kept.
    QImage Grid() const;
    QImage Title() const;

private:
    // One picture file and what it is known to hold: none until it was read or written.
    struct TKept {
        const char* Name;
        std::optional<QImage> Picture;
    };
    bool Save(TKept& kept, const QImage& picture) const;
    QImage Read(TKept& kept) const;

    QString Folder;
    mutable TKept KeptGrid;
    mutable TKept KeptTitle;
};

}  // namespace orvenna::app
