#pragma once

#include <QTimer>
#include <functional>
#include <string>
#include <vector>

#include "cdinfo/CCdda.h"
#include "cdinfo/CDDB_REQDATA.h"

namespace ui::record {

// The disc information of one drive: the disc's table of contents and its
// titles from the local CD database, else (when asked) from CDDB; and the
// submission of a disc's titles to CDDB. The drive and the network are
// used on the CD information worker; a 100 ms timer on the UI thread
// watches the request and hands the result over.
class DiscLookup {
  public:
    // The request's kind (CDDB_REQDATA::Kind), the result code
    // (cdinfo::CddaResult) and the disc. A lookup's disc has its layout even
    // when no titles were found and is empty without a disc; a submitted
    // disc carries its new revision and category.
    using Done = std::function<void(int kind, uint32_t result, const cdinfo::CDiscID& disc)>;
    using Tick = std::function<void()>;

    DiscLookup(Done done, Tick tick);

    // False while a request runs (nothing is started). `mode` is one of
    // CDDB_REQDATA::Mode.
    bool start(const std::string& drive, int mode, const std::vector<std::string>& genres);
    // Submits the disc; the CD information connection's result when it
    // cannot start (kCddaInvalid for an unusable address or disc).
    uint32_t post(const cdinfo::CDiscID& disc, const std::vector<std::string>& genres);
    bool running() const { return cdda_.IsBusy() || timer_.isActive(); }
    // The stage of the running request.
    cdinfo::CDDB_REQDATA::Stage stage() const { return request_.stage(); }
    cdinfo::CCdda& cdda() { return cdda_; }

  private:
    void watch();
    void keepStoredStates(cdinfo::CDiscID& disc) const;

    Done done_;
    Tick tick_;
    cdinfo::CDDB_REQDATA request_;  // outlives the worker, which CCdda's end waits for
    cdinfo::CCdda cdda_;
    QTimer timer_;
};

}  // namespace ui::record
