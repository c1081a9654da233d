// The main window's command menu.
#include <QMenu>
#include <QMessageBox>

#include "app/PlayerSettings.h"
#include "app/Settings.h"
#include "ui/CMainWindow.h"
#include "ui/SkinFolder.h"

namespace ui {
namespace {

QString fromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QAction* addEntry(QMenu& menu, std::string_view text, std::function<void()> run) {
    QAction* action = menu.addAction(fromUtf8(text));
    QObject::connect(action, &QAction::triggered, std::move(run));
    return action;
}

QAction* addCheck(QMenu& menu, std::string_view text, bool checked, std::function<void()> run) {
    QAction* action = addEntry(menu, text, std::move(run));
    action->setCheckable(true);
    action->setChecked(checked);
    return action;
}

}  // namespace

std::unique_ptr<QMenu> CMainWindow::commandMenu() {
    using app::CPlayController;
    auto menu = std::make_unique<QMenu>(this);
    QMenu& m = *menu;
    addEntry(m, "MP3 Melodux について(&I)", [this] { showAbout(); });
    m.addSeparator();
    addEntry(m, "前の曲(&R)\tAlt+Z", [this] { player_->PressPrevious(); });
    addEntry(m, "再生(&P)\tAlt+X", [this] { player_->Play(); });
    addEntry(m, "一時停止(&A)\tAlt+C", [this] { player_->Pause(); });
    addEntry(m, "停止(&S)\tAlt+V", [this] { player_->Stop(); });
    addEntry(m, "次の曲(&N)\tAlt+B", [this] { player_->PressNext(); });
    m.addSeparator();
    const int32_t repeat = player_->RepeatMode();
    addCheck(m, "１曲リピート(&E)", repeat == CPlayController::kRepeatOne,
             [this] { player_->ToggleRepeatOne(); });
    addCheck(m, "全曲リピート(&T)", repeat == CPlayController::kRepeatAll,
             [this] { player_->ToggleRepeatAll(); });
    addCheck(m, "シャッフル(&H)", player_->Shuffle(),
             [this] { player_->SetShuffle(!player_->Shuffle()); });
    m.addSeparator();
    const bool remaining = counterMode_ != 0;
    addCheck(m, "時間表示 経過時間(&L)", !remaining, [this] { setCounterMode(0); });
    addCheck(m, "時間表示 残り時間(&M)", remaining, [this] { setCounterMode(1); });
    m.addSeparator();
    addEntry(m, "オプション(&O)...\tCtrl+9", [this] { openOptions(); });
    m.addSeparator();
    const std::string current = skinFolder_.parent_path().filename().string();
    for (const SkinChoice& choice : kSkinChoices) {
        QAction* entry = addCheck(m, choice.menuText, choice.name == current,
                                  [this, name = choice.name] { chooseSkin(name); });
        entry->setEnabled(static_cast<bool>(selectSkin_));
    }
    m.addSeparator();
    addEntry(m, "リスト／エディットパネル(&Y)\tCtrl+2", [this] {
        if (toggleListPanel_) {
            toggleListPanel_();
        }
    });
    addEntry(m, "レコーディングパネル(&C)\tCtrl+3", [this] {
        if (toggleRecordPanel_) {
            toggleRecordPanel_();
        }
    });
    addCheck(m, "スペアナ(&G)\tCtrl+4", !equalizer_.isNull(), [this] { toggleEqualizer(); });
    addCheck(m, "ミニウィンドウ(&W)", layout_ == SkinLayout::Mini, [this] { toggleMini(); });
    addCheck(m, "常に手前に表示(&B)", settings_.read(app::settings::kAlwaysOnTop) != 0,
             [this] { setAlwaysOnTop(settings_.read(app::settings::kAlwaysOnTop) == 0); });
    m.addSeparator();
    addEntry(m, "終了(&X)\tAlt+F4", [this] { close(); });
    return menu;
}

void CMainWindow::showAbout() {
    QMessageBox::about(this, QString::fromUtf8("MP3 Melodux について"),
                       QString::fromUtf8("MP3 Melodux バージョン " MELODUX_VERSION "\n\n"
                                         "MP3・WAVE・WMA と音楽 CD を再生し、CD を録音する"
                                         "ジュークボックスです。\n使い方は F1 キーでヘルプを"
                                         "開いてご覧ください。"));
}

}  // namespace ui
