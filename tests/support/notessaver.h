#pragma once
// The core's part in tests of the note windows: saves the store to the notes file of a test
// folder as the core does, takes a failure's message where the core would report it, counts
// the saves and announces each successful one, as the core's NotesChanged does.

#include "notes/notesaver.h"
#include "store/daypaperlist.h"
#include "store/errors.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <string>

namespace orvenna::test {

class TNotesSaver final {
public:
    TNotesSaver(store::TDayPaperList& papers, std::string file, QStringList& errors)
        : Papers(papers), File(std::move(file)), Errors(errors)
    {
    }

    // What the windows are handed.
    notes::TSaveNotes Saver()
    {
        return [this] { return Save(); };
    }
    bool Save()
    {
        ++Calls;
        try {
            Papers.SaveToFile(File);
        } catch (const store::EStoreError& error) {
            Errors << QString::fromStdString(error.what());
            return false;
        }
        if (Announce)
            Announce();
        return true;
    }

    int Calls = 0;
    std::function<void()> Announce;

private:
    store::TDayPaperList& Papers;
    std::string File;
    QStringList& Errors;
};

}  // namespace orvenna::test
