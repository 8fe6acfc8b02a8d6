#pragma once
// Fills the plain locale record from Qt's view of the user's locale.

#include "store/localformat.h"

#include <QLocale>

namespace orvenna::app {

store::TLocalFormat LocalFormatFromLocale(const QLocale& locale = QLocale::system());

}  // namespace orvenna::app
