#include "ui/library/CdrHandOff.h"

#include <unistd.h>

#include <QGuiApplication>
#include <QWidget>
#include <filesystem>
#include <system_error>

#include "app/CdrCommand.h"
#include "mdb/Group.h"
#include "stream/ErrorText.h"
#include "ui/library/LibraryTexts.h"
#include "ui/library/PanelDialogs.h"

namespace ui::library {
namespace {

constexpr int kM3uFormat = 1;
constexpr uint32_t kPlatformError = 0x80070000;

// The command's words with %s made the playlist's path: a path with blanks
// stays one argument. A command without %s gets the path at its end.
QStringList argumentsFor(const QString& command, const QString& path) {
    QStringList words = QProcess::splitCommand(command);
    bool placed = false;
    for (QString& word : words) {
        if (word.contains(QStringLiteral("%s"))) {
            word.replace(QStringLiteral("%s"), path);
            placed = true;
        }
    }
    if (!placed) {
        words << path;
    }
    return words;
}

}  // namespace

CdrHandOff::WaitCursor::WaitCursor() {
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
}

CdrHandOff::WaitCursor::~WaitCursor() {
    QGuiApplication::restoreOverrideCursor();
}

CdrHandOff::CdrHandOff(const app::PlayerSettings& settings, PanelDialogs& dialogs, Hooks hooks,
                       QObject* parent)
    : QObject(parent), settings_(settings), dialogs_(dialogs), hooks_(std::move(hooks)) {}

// Quitting while the program runs ends it and removes its playlist; its
// last signals find nobody here.
CdrHandOff::~CdrHandOff() {
    if (process_) {
        process_->disconnect(this);
    }
}

bool CdrHandOff::start(const mdb::Group& playlist, const std::vector<std::string>& files) {
    const QString command = QString::fromStdString(app::cdrCommandOf(settings_));
    if (running() || !mayStart(command)) {
        return false;
    }
    hooks_.stopPlayer();
    if (app::hasUnburnableFile(files) && !dialogs_.askYesNo(texts::kUnburnableQuestion)) {
        return false;
    }
    if (!writePlaylist(playlist)) {
        return false;
    }
    launch(command);
    return true;
}

bool CdrHandOff::mayStart(const QString& command) {
    if (!hooks_.writerExists()) {
        dialogs_.tell(texts::kNoCdWriter);
        return false;
    }
    if (hooks_.recording()) {
        dialogs_.tell(texts::kBusyRecording);
        return false;
    }
    if (QProcess::splitCommand(command).isEmpty()) {
        dialogs_.tell(texts::kNoCdrCommand);
        return false;
    }
    return true;
}

bool CdrHandOff::writePlaylist(const mdb::Group& playlist) {
    try {
        file_.emplace(std::filesystem::temp_directory_path());
    } catch (const std::system_error& failure) {  // a filesystem_error too
        dialogs_.tell(GetErrorText(kPlatformError | uint32_t(failure.code().value() & 0xFFFF)));
        return false;
    }
    try {
        playlist.exportTo(file_->path().string(), kM3uFormat);
    } catch (const std::exception&) {
        // The program would find no playlist or half of one.
        file_.reset();
        dialogs_.tell(texts::kExportFailed);
        return false;
    }
    return true;
}

void CdrHandOff::launch(const QString& command) {
    QStringList words = argumentsFor(command, QString::fromStdString(file_->path().string()));
    const QString program = words.takeFirst();
    process_ = std::make_unique<QProcess>();
    process_->setProcessChannelMode(QProcess::ForwardedChannels);
    process_->setStandardInputFile(QProcess::nullDevice());
    // A group of its own: a Ctrl+C meant for this program leaves it running.
    process_->setChildProcessModifier([] { ::setpgid(0, 0); });
    connect(process_.get(), &QProcess::started, this, &CdrHandOff::started);
    connect(process_.get(), &QProcess::errorOccurred, this, &CdrHandOff::failed);
    connect(process_.get(), &QProcess::finished, this, &CdrHandOff::ended);
    waitCursor_.emplace();
    process_->start(program, words);
}

void CdrHandOff::started() {
    for (QWidget* window : hooks_.windows()) {
        if (window != nullptr && window->isVisible()) {
            hidden_.emplace_back(window);
            window->hide();
        }
    }
    waitCursor_.reset();
}

// A program that crashes or cannot be waited for also ends with finished.
void CdrHandOff::failed(QProcess::ProcessError error) {
    if (error != QProcess::FailedToStart) {
        return;
    }
    const QString program = process_->program();
    waitCursor_.reset();
    file_.reset();
    process_.release()->deleteLater();  // still inside its signal
    dialogs_.tell(std::string(texts::kCdrNotStarted) + "\n" + program.toStdString());
}

void CdrHandOff::ended() {
    file_.reset();
    for (const QPointer<QWidget>& window : hidden_) {
        if (window) {
            window->show();
        }
    }
    hidden_.clear();
    waitCursor_.reset();
    process_.release()->deleteLater();
}

}  // namespace ui::library
