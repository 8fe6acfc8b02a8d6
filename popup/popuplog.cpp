#include "popup/popuplog.h"

namespace orvenna::popup {
Q_LOGGING_CATEGORY(lcPopup, "orvenna.popup")
}
