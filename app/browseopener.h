#pragma once
// TBrowseOpener: the calendar's "&Browse..." command. Each click opens another note browser
// on the shown month, without waiting; the browser works on the live store and settings.

#include <QObject>

namespace orvenna::app {

class TAppCore;
class TCalendarForm;

class TBrowseOpener final : public QObject {
    Q_OBJECT

public:
    // Enables "&Browse..." when the browser exists and connects it. Both must outlive the
    // object (it is the calendar's child).
    TBrowseOpener(TAppCore& core, TCalendarForm& calendar);

    void Browse1Click();

private:
    TAppCore& Core;
    TCalendarForm& Calendar;
};

}  // namespace orvenna::app
