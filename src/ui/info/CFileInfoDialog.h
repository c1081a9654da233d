#pragma once

#include <QDialog>
#include <memory>

#include "app/InfoWriteBack.h"
#include "app/StreamTagAccess.h"
#include "mdb/MusicDatabase.h"
#include "mdb/MusicItem.h"
#include "ui/PoolWork.h"
#include "ui/library/PanelDialogs.h"

class QComboBox;
class QDialogButtonBox;
class QLineEdit;
class QPlainTextEdit;
class QSpinBox;

namespace ui::info {

// "ミュージックファイル情報": the facts of a library item's file and its
// tag fields to edit. The file is read and written on a worker; on OK the
// tag goes into the file where it can, and the record into the library,
// unless the user, told why the file keeps its old tag, chooses to go
// back. Modal: the item cannot be removed while it is up.
class CFileInfoDialog : public QDialog {
  public:
    CFileInfoDialog(mdb::MusicDatabase& db, mdb::MusicItem& item,
                    std::shared_ptr<app::StreamTagAccess> tags, library::PanelDialogs& dialogs,
                    QWidget* parent = nullptr);

    // True while the edit is being written into the file.
    bool busy() const { return busy_; }
    QPlainTextEdit& information() const { return *information_; }
    QLineEdit& titleEdit() const { return *title_; }
    QLineEdit& artistEdit() const { return *artist_; }
    QLineEdit& albumEdit() const { return *album_; }
    QLineEdit& yearEdit() const { return *year_; }
    QLineEdit& commentEdit() const { return *comment_; }
    QSpinBox& trackEdit() const { return *track_; }
    QComboBox& genreBox() const { return *genre_; }

    void accept() override;
    void reject() override;

  private:
    void buildFields();
    void fillGenres();
    void readFacts();
    void showFacts(const std::optional<app::StreamTagAccess::Facts>& facts);
    mdb::MusicInfo edited() const;
    void written(app::TagFileWrite outcome, const mdb::MusicInfo& record);
    void setBusy(bool busy);

    mdb::MusicDatabase& db_;
    mdb::MusicItem& item_;
    std::shared_ptr<app::StreamTagAccess> tags_;
    library::PanelDialogs& dialogs_;
    const mdb::MusicInfo original_;
    bool busy_ = false;

    QLineEdit* path_ = nullptr;
    QPlainTextEdit* information_ = nullptr;
    QLineEdit* title_ = nullptr;
    QLineEdit* artist_ = nullptr;
    QLineEdit* album_ = nullptr;
    QLineEdit* year_ = nullptr;
    QSpinBox* track_ = nullptr;
    QComboBox* genre_ = nullptr;
    QLineEdit* comment_ = nullptr;
    QDialogButtonBox* buttons_ = nullptr;
    PoolWork work_;  // last: waited for before the fields go
};

}  // namespace ui::info
