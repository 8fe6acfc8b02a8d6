#pragma once
// The program's own pictures, drawn in code so that nothing has to be shipped for them: the
// program's picture (a calendar sheet with a bell), the month icons of the browser's tree and
// the browser's small command icons.

#include <QIcon>
#include <QPixmap>

namespace orvenna::notes {

// The program's picture, size x size pixels.
QPixmap ProgramPicture(int size);
// A 32 x 32 calendar sheet showing the month's number (1..12).
QIcon MonthIcon(int month);
// 16 x 16 command icons.
QIcon CopyIcon();
QIcon DeleteIcon();
QIcon ReminderIcon();

}  // namespace orvenna::notes
