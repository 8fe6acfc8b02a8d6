#pragma once
// orvenna-notes sync NOTESFILE URL [--user NAME] [--password-file FILE] [--state FILE]
//                    [--force-delete]
// Two-way sync of the notes file with a calendar on a CalDAV server (ical/syncengine.h). Prints
// one JSON object on one line:
//   {"sent": {"added": N, "changed": N, "deleted": N},
//    "received": {"added": N, "changed": N, "deleted": N}, "conflicts": N, "error": null | "..."}
// Exit status: 0 done; 1 the server refused (401, 403, 5xx), could not be reached or was not
// trusted, or one side was empty (the empty-side guard); 2 the notes file, the side file or the
// password file cannot be read or written; 64 wrong arguments (nothing printed on stdout).

#include <string>
#include <vector>

namespace orvenna::tools {

// args: what follows "sync". Throws std::invalid_argument for wrong arguments.
int SyncCommand(const std::vector<std::string>& args);

}  // namespace orvenna::tools
