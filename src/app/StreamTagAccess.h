#pragma once

#include <optional>
#include <string>

#include "mdb/TagAccess.h"
#include "stream/CNxSSComponentCatalog.h"
#include "stream/CNxSSInfo.h"
#include "stream/CNxSSManager.h"
#include "stream/NxRef.h"

namespace app {

// The database's way into music files through the stream framework: a
// file's information object, opened by a manager over the program's
// readers, gives the tag and the play time and writes edits back.
class StreamTagAccess : public mdb::TagAccess {
  public:
    // What the file information dialog shows of a file besides its tag.
    struct Facts {
        std::string text;  // the information text, lines ending in CR LF
        CNxSSInfo::Kind kind = CNxSSInfo::kId3v1;
    };

    explicit StreamTagAccess(CNxSSComponentCatalog catalog);

    std::optional<mdb::TagInfo> read(const std::string& path) override;
    mdb::TagWriteResult write(const std::string& path, const mdb::TagEdit& edit) override;
    // Nothing when no reader takes the file.
    std::optional<Facts> facts(const std::string& path);

  private:
    // Nothing when no reader takes the file.
    NxRef<CNxSSInfo> open(const std::string& path);

    NxRef<CNxSSManager> manager_;
};

}  // namespace app
