#pragma once
// TAboutForm: the small modal window with the program's picture, its name and its version,
// opened from the browser's "&About".

#include <QDialog>

class QLabel;

namespace orvenna::notes {

// The program's version as the build sets it ("0.1").
QString ProgramVersion();

class TAboutForm final : public QDialog {
    Q_OBJECT

public:
    explicit TAboutForm(QWidget* owner = nullptr);

    QLabel* Picture = nullptr;
    QLabel* NameLabel = nullptr;     // "Orvenna"
    QLabel* VersionLabel = nullptr;  // "Version <version>"
};

}  // namespace orvenna::notes
