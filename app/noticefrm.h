#pragma once
// TForm1: the notice of the first run, telling the user where the program lives. Shown
// modally once; "OK" (or closing it) ends the showing.

#include <QDialog>

class QFrame;
class QLabel;
class QPushButton;

namespace orvenna::app {

// The notice's message, exactly as the user sees it.
extern const char* const NoticeText;

class TForm1 final : public QDialog {
    Q_OBJECT

public:
    explicit TForm1(QWidget* parent = nullptr);

    QLabel* Label1 = nullptr;  // the message
    QLabel* Label2 = nullptr;  // "Note"
    QPushButton* Button1 = nullptr;  // "OK", the default button

private:
    void Button1Click();
};

}  // namespace orvenna::app
