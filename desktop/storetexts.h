#pragma once
// The store's texts in the user's language. The store writes its messages in English and knows
// nothing of Qt; the windows pass what they show of it through here, so that a conversion
// message, a file that cannot be opened or a snooze length reads in the language of the rest of
// the window. Without a translation loaded every text comes back exactly as the store made it.

#include <QString>

#include <string_view>

namespace orvenna::desktop {

// A message of the store ("'25:00' is not a valid time", "Cannot create file "x". No space left
// on device", "Stream read error") translated, its quoted values kept as they are. A text that
// is not one of the store's comes back unchanged, so any message may pass through.
QString StoreMessage(std::string_view message);
QString StoreMessage(const QString& message);

// "1 minute", "5 minutes", "1 hour", "2 hours": store::SnoozeLengthText, translated.
QString SnoozeLengthCaption(int minutes);

}  // namespace orvenna::desktop
