#pragma once
// The freedesktop base-directory rules for the user's configuration folder.

#include <QString>

namespace orvenna::platform {

// ConfigHomePath() of platform/programfolder.h, as Qt text: $XDG_CONFIG_HOME when it holds an
// absolute path; $HOME/.config when it is unset, empty or relative (the base-directory rules
// tell to ignore a relative path). No trailing '/'; read anew on every call.
QString ConfigHome();

}  // namespace orvenna::platform
