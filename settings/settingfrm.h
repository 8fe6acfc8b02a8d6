#pragma once
// TSettingForm, "Calendar Setting": the dialog where the user chooses how the calendar behaves
// (start at log-on, dragging, tray only, reminder sound) and looks (the fonts of the title bar
// and of the dates, a title picture or a transparent title), with a small live preview.
//
// The dialog edits a settings record it is given (CalSetting, not owned). Every change stays in
// the dialog's own controls and in its two working fonts until OK, which writes the record.
// Cancel, Esc and closing the window leave the record as it was. The "Alerts" page edits the
// alert choices (AlertState, when given), which OK writes too. Saving and applying the new
// values is the opener's work; the dialog writes no file. The "Calendar" box of the "General"
// page edits the regional choices (Regional, when given), which OK writes too.
//
// exec() returns mrOk (1) after OK and mrCancel (2) otherwise.

#include "store/alertstate.h"
#include "store/localformat.h"
#include "store/regional.h"
#include "store/settings.h"

#include <QDialog>
#include <QImage>
#include <QString>


class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QToolButton;
class QWidget;

namespace orvenna::platform {
class TPlatform;
}

namespace orvenna::settings {

class TSyncPage;

inline constexpr int mrOk = 1;
inline constexpr int mrCancel = 2;

class TSettingForm final : public QDialog {
    Q_OBJECT

public:
    // platform offers the system colours of the colour list; it must outlive the dialog.
    explicit TSettingForm(platform::TPlatform& platform, QWidget* parent = nullptr);
    ~TSettingForm() override;

    // The record being edited; set before the dialog is shown. Not owned.
    store::TCalSetting* CalSetting = nullptr;
    // The alert choices being edited, with the rest of the side file; none: the "Alerts" page
    // shows the defaults and OK writes nothing of it. Not owned.
    store::TAlertState* AlertState = nullptr;
    // The regional choices being edited; none: the controls show the defaults and OK writes
    // nothing of them. Not owned.
    store::TRegionalChoices* Regional = nullptr;
    // The user's locale as it is, before any choice: the preview's weekday row follows it
    // and the week start chosen.
    store::TLocalFormat LocaleFormat;
    // The element whose font the font controls edit: lbTitle ("TitleBar") or lbSubFont ("Date").
    QLabel* ElementLabel = nullptr;

    // Fills every control and both working fonts from the record and selects "TitleBar".
    void LoadFromSetting(const store::TCalSetting& setting);
    // Fills the "Alerts" page from the choices.
    void LoadAlertChoices(const store::TAlertState& state);
    // Fills the "Calendar" box from the choices, and the choices from it.
    void LoadRegionalChoices(const store::TRegionalChoices& choices);
    store::TRegionalChoices RegionalChoices() const;
    // Redraws both preview areas from the working fonts and the picture path.
    void DrawPreview();

    // The working font of "TitleBar"; OK copies it into the record.
    const store::TFont& TitleFontCopy() const { return TitleWork; }

    // ---- handlers ---------------------------------------------------------------------------
    void cboElementChange();
    void lbTitleClick();
    void lbSubFontClick();
    void cboFontChange();
    void cboSizeChange();
    void SpeedButton2Click();
    void SpeedButton3Click();
    void cboColorChange();
    void rbTransparentClick();
    void edtPicChange();
    void SpeedButton1Click();
    void SpeedButton6Click();
    void Button1Click();

    // ---- components ---------------------------------------------------------------------------
    QTabWidget* ColorPage = nullptr;
    QWidget* TabSheet1 = nullptr;
    QWidget* TabSheet2 = nullptr;
    QFrame* Panel1 = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;
    // "General"
    QGroupBox* Bevel1 = nullptr;
    QCheckBox* chkStayOnDesk = nullptr;
    QCheckBox* chkCanmove = nullptr;
    QCheckBox* chkInTheTray = nullptr;
    QLabel* Label1 = nullptr;
    QLineEdit* edtSoundFile = nullptr;
    QToolButton* SpeedButton1 = nullptr;
    QGroupBox* grpCalendar = nullptr;
    QComboBox* cboFirstDay = nullptr;    // item data: store::TWeekStart
    QComboBox* cboTimeFormat = nullptr;  // item data: store::TTimeFormat
    QCheckBox* chkWeekNumbers = nullptr;
    // "Appearance"
    QFrame* Panel3 = nullptr;
    QFrame* Panel4 = nullptr;
    QLabel* lbTitle = nullptr;
    QWidget* PaintBox1 = nullptr;
    QWidget* PaintBox2 = nullptr;
    QLabel* lbSubFont = nullptr;
    QComboBox* cboElement = nullptr;
    QComboBox* cboFont = nullptr;
    QComboBox* cboSize = nullptr;
    QToolButton* SpeedButton2 = nullptr;
    QToolButton* SpeedButton3 = nullptr;
    QComboBox* cboColor = nullptr;  // item data: the stored colour (store::TColor)
    QRadioButton* rbTransparent = nullptr;
    QRadioButton* rbPicture = nullptr;
    QLineEdit* edtPic = nullptr;
    QToolButton* SpeedButton6 = nullptr;
    // "Alerts"
    QWidget* TabSheet3 = nullptr;
    QCheckBox* chkStayUntilDismissed = nullptr;
    QComboBox* cboSnooze = nullptr;  // item data: minutes
    // "Sync": the calendar server and the subscribed calendars; whoever opens the dialog fills
    // it and takes what it holds after OK. OK stays on it while an address cannot be used.
    TSyncPage* SyncPage = nullptr;

    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormCreate();
    void CreateButtons();
    void CreateGeneralPage();
    void CreateAppearancePage();
    void CreateAlertsPage();
    void CreateCalendarBox();
    void StoreAlertChoices();
    void CreateFontControls(QWidget* page);
    void FillColorList();
    void Connect();
    store::TFont& ElementFont();
    void LoadFontControls(const store::TFont& font);
    void SelectColor(store::TColor color);
    void PaintTitleRow(QPainter& painter);
    void PaintDates(QPainter& painter);

    platform::TPlatform& Platform;
    store::TFont TitleWork;  // the font held by lbTitle
    store::TFont SubWork;    // the font held by lbSubFont
    QImage TitlePicture;     // the picture edtPic names, loaded by DrawPreview
};

}  // namespace orvenna::settings
