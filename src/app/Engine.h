#pragma once

#include <functional>
#include <string>
#include <vector>

#include "stream/CNxSSComponentCatalog.h"
#include "stream/CNxSSManager.h"
#include "stream/NxRef.h"

namespace app {

// The engine as both programs use it: the codecs registered with the
// platform's codec registry, and the readers and writers chains are built
// from (MP3, WAVE with its MP3-in-RIFF form, WMA and the media module's
// other formats, CD tracks).
class Engine {
  public:
    // The music file types the readers open, as the library registers them:
    // the program's own four, then the media module's.
    static const std::vector<std::string>& musicExtensions();

    // Told a file's name and the words for the user when a reader fails for
    // a reason its result code does not carry (a missing codec's name).
    using OpenFailureNote = std::function<void(const std::string& name, const std::string& text)>;

    explicit Engine(OpenFailureNote note = {});
    // An engine over other readers and writers (a test's).
    explicit Engine(CNxSSComponentCatalog catalog);

    const CNxSSComponentCatalog& catalog() const { return catalog_; }
    // A manager over the catalogue, for one chain at a time.
    NxRef<CNxSSManager> makeManager() const;
    // Whether a writer of that sink kind (CNxSSManager::SinkKind) exists.
    bool canWrite(int32_t sinkKind) const;

  private:
    CNxSSComponentCatalog catalog_;
};

}  // namespace app
