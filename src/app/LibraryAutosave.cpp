#include "app/LibraryAutosave.h"

#include "app/LibrarySession.h"

namespace app {

LibraryAutosave::LibraryAutosave(LibrarySession& session, TimerService& timers,
                                 BackgroundWork& work)
    : session_(session),
      work_(work),
      quiet_(timers.makeTimer([this] { begin(); })),
      longest_(timers.makeTimer([this] { begin(); })),
      stepper_(timers.makeTimer([this] { step(); })) {
    mdb::MusicDatabase& db = session_.db();
    auto guard = db.lock();
    db.library().addListener(this);
    db.playlists().addListener(this);
    watchPlaylists();
}

LibraryAutosave::~LibraryAutosave() {
    dropCopy();
    waitForWrite();
    mdb::MusicDatabase& db = session_.db();
    auto guard = db.lock();
    db.library().removeListener(this);
    db.playlists().removeListener(this);
    for (const std::string& name : db.playlists().getNames()) {
        db.playlists().get(name).removeListener(this);
    }
}

void LibraryAutosave::onChange(const mdb::ChangeEvent& event) {
    if (event.kind == mdb::ChangeKind::Destroyed) {
        playlists_.erase(event.source);
        return;
    }
    if (event.source == &session_.db().playlists()) {
        watchPlaylists();
    }
    dropCopy();  // no longer one state of the library
    waitForQuiet();
}

void LibraryAutosave::waitForQuiet() {
    quiet_->start(kQuiet);
    if (!longest_->active()) {
        longest_->start(kLongest);
    }
}

void LibraryAutosave::dropCopy() {
    stepper_->stop();
    if (copying_) {
        copying_->finish(session_.db(), false);
        copying_.reset();
    }
}

void LibraryAutosave::watchPlaylists() {
    mdb::MutableGroupList& set = session_.db().playlists();
    for (const std::string& name : set.getNames()) {
        mdb::MutableGroup& playlist = set.get(name);
        if (playlists_.insert(&playlist).second) {
            playlist.addListener(this);
        }
    }
}

void LibraryAutosave::saveSoon() {
    if (!copying_) {
        begin();
    }
}

void LibraryAutosave::begin() {
    quiet_->stop();
    longest_->stop();
    if (writing_ || !session_.db().isModified()) {
        return;  // a write under way starts the next one when it ends
    }
    copying_ = std::make_unique<mdb::SaveSnapshot>(session_.db(), session_.folder());
    step();
}

void LibraryAutosave::step() {
    if (!copying_) {
        return;
    }
    switch (copying_->copyMore(session_.db(), kStepEntries)) {
        case mdb::SaveSnapshot::Progress::More:
            stepper_->start(std::chrono::milliseconds(0));
            break;
        case mdb::SaveSnapshot::Progress::Changed:
            // Changed without telling (a removal not yet flushed).
            dropCopy();
            waitForQuiet();
            break;
        case mdb::SaveSnapshot::Progress::Complete:
            startWrite();
            break;
    }
}

void LibraryAutosave::startWrite() {
    auto write = std::make_shared<Write>();
    write->snapshot = std::move(copying_);
    writing_ = write;
    work_.run(
        [write] {
            try {
                write->snapshot->write();
            } catch (...) {
                write->failure = std::current_exception();
            }
            write->ended.set_value();
        },
        [this, write, alive = std::weak_ptr<bool>(alive_)] {
            if (!alive.expired()) {
                complete(write);
            }
        });
}

void LibraryAutosave::complete(const std::shared_ptr<Write>& write) {
    if (write->finished) {
        return;
    }
    write->finished = true;
    write->snapshot->finish(session_.db(), !write->failure);
    if (writing_ == write) {
        writing_.reset();
    }
    // Changes made while it was written are saved once their quiet spell is
    // over; after a failure, with the next change or at exit.
    if (session_.db().isModified() && !write->failure && !quiet_->active()) {
        quiet_->start(std::chrono::milliseconds(0));
    }
}

void LibraryAutosave::waitForWrite() {
    if (const std::shared_ptr<Write> write = writing_) {
        write->endedFuture.wait();
        complete(write);
    }
}

void LibraryAutosave::saveNow() {
    dropCopy();
    quiet_->stop();
    longest_->stop();
    waitForWrite();
    session_.saveIfModified();
}

}  // namespace app
