#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "app/StreamTagAccess.h"
#include "mdb/MusicDatabase.h"
#include "mdb/MusicItem.h"

// The file information dialog's write-back of an edited record: the tag
// goes into the music file where it can, the record into the library.
namespace app {

// How writing the tag into the file went.
enum class TagFileWrite {
    Written,
    NoTag,     // a WAVE file: it keeps no tag, the library alone holds it
    Missing,   // the file is not there
    ReadOnly,  // the file is write-protected
    Failed,    // the file could not be read as music or written
};

// The tag fields that differ between two records of one file.
mdb::TagEdit tagEditBetween(const mdb::MusicInfo& before, const mdb::MusicInfo& after);

// Writes the edit into the file at `path` (atomically: a copy beside it
// replaces it). Touches no database, so it runs on a worker. A file
// without any write permission bit counts as read-only, also for root.
TagFileWrite writeTagToFile(StreamTagAccess& tags, const std::string& path,
                            const mdb::TagEdit& edit);

// The OK/Cancel question to ask when the file was left as it was; empty
// when there is none to ask.
std::string_view questionFor(TagFileWrite outcome);

// Puts the edited fields into the item without writing its file again.
// After a write the stored time follows the file; otherwise it becomes
// now, newer than the file's, so the next synchronisation tries again.
void storeEdit(mdb::MusicDatabase& db, mdb::MusicItem& item, const mdb::MusicInfo& edited,
               TagFileWrite outcome);

}  // namespace app
