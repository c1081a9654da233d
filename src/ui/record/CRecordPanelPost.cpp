// The recording panel's submission of the disc's titles to CDDB.
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>

#include "app/CddbPostCheck.h"
#include "app/PlayerSettings.h"
#include "app/Settings.h"
#include "ui/record/CRecordPanel.h"
#include "ui/record/RecordTexts.h"

namespace ui::record {
namespace {

QString qt(std::string_view text) {
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

}  // namespace

void CRecordPanel::post() {
    if (IsRecording() || lookingUp()) {
        return;
    }
    if (disc_.tracks.empty()) {
        dialogs_->tell(texts::kNoCd);
        return;
    }
    editDiscTitle();  // a field still being edited counts
    editDiscArtist();
    editDiscExtra();
    storeDiscEdits();
    const std::string mail = settings_.read(app::settings::kMailAdres);
    switch (app::postProblem(mail, disc_)) {
        case app::PostProblem::MailAddress:
            dialogs_->tell(texts::kBadMailAddress);
            return;
        case app::PostProblem::DiscTitle:
            dialogs_->tell(texts::kSetAlbumTitle);
            discTitle_->setFocus();
            return;
        case app::PostProblem::None:
            break;
    }
    if (!dialogs_->askYesNo(app::discHasDoubleByte(disc_) ? texts::kPostDoubleByteQuestion
                                                          : texts::kPostQuestion)) {
        return;
    }
    const uint32_t started = lookup_.post(disc_, genreNames());
    if (started == cdinfo::kCddaInvalid) {
        dialogs_->tell(texts::kBadMailAddress);  // an address no server takes
    } else if (started == cdinfo::kCddaOk) {
        busy_->show();
        status_->setText(qt(texts::kAccessingCddb));
    }
}

// The disc keeps the revision and category it was sent with, so that a
// later submission of it counts on.
void CRecordPanel::postDone(uint32_t result, const cdinfo::CDiscID& disc) {
    if (result == cdinfo::kCddaNetworkError) {
        dialogs_->tell(texts::kNetworkError);
    } else if (result != cdinfo::kCddaOk) {
        dialogs_->tell(texts::kPostRefused);
    } else if (disc.Identity() == disc_.Identity()) {
        disc_.revision = disc.revision;
        disc_.category = disc.category;
    }
}

}  // namespace ui::record
