// The recording panel in the desktop program as main() assembles it: 1000
// copies of a real MP3 file added for conversion at once.
//   add      how long the add call holds the UI thread (the rows show at
//            once), and the longest the UI thread then went without
//            serving a 1 ms timer until every length is in (goal <= 50 ms)
//   lengths  from the call until the last length arrived
// Private settings and data in a temporary folder; nothing of the user's
// is read or written.

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/CPlayerApp.h"
#include "app/Engine.h"
#include "app/PlayerSettings.h"
#include "app/SettingsStore.h"
#include "support/PrivateFolders.h"
#include "ui/CDesktopView.h"
#include "ui/DesktopServices.h"
#include "ui/PoolWork.h"
#include "ui/QtTimerService.h"
#include "ui/record/CRecordPanel.h"

namespace {

namespace fs = std::filesystem;
constexpr int kFiles = 1000;
using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// Ten runs of the sample's frames back to back: a file of about 6 s.
std::vector<std::string> copiesOfTheSample(const fs::path& dir) {
    std::ifstream in(MELODUX_MP3_SAMPLE, std::ios::binary);
    const std::string frames((std::istreambuf_iterator<char>(in)), {});
    std::vector<std::string> paths;
    for (int i = 0; i < kFiles; ++i) {
        paths.push_back((dir / ("song" + std::to_string(i) + ".mp3")).string());
        std::ofstream out(paths.back(), std::ios::binary);
        for (int run = 0; run < 10; ++run) {
            out << frames;
        }
    }
    return paths;
}

template <typename F>
bool waitFor(F done, int ms) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > ms) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

void measureAdd(ui::record::CRecordPanel& panel, const std::vector<std::string>& paths) {
    double worst = 0;
    auto last = Clock::now();
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        worst = std::max(worst, msSince(last));
        last = Clock::now();
    });
    const auto start = Clock::now();
    panel.AddFilesForConversion(paths);
    const double call = msSince(start);
    last = Clock::now();
    tick.start(1);
    const bool done = waitFor([&] { return !panel.readingFiles(); }, 120000);
    tick.stop();
    const double all = msSince(start);
    std::printf("%-40s %7.1f ms, %d rows\n", "add: the call", call, panel.Count());
    std::printf("%-40s %7.1f ms (goal <= 50 ms)\n", "add: longest UI stall after it", worst);
    std::printf("%-40s %7.1f ms%s, first row %d s\n", "lengths: call to the last length", all,
                done ? "" : " (not finished)", panel.EntryAt(0).lengthSeconds);
}

}  // namespace

int main(int argc, char** argv) {
    const benchsupport::PrivateFolders folders("record-add");
    const std::vector<std::string> paths = copiesOfTheSample(folders.music());
    qputenv("MELODUX_AUDIO", "null");
    QApplication qapp(argc, argv);
    app::SettingsStore store;
    app::PlayerSettings settings(store);
    const app::Engine engine;
    ui::QtTimerService timers;
    ui::PoolWork work;
    std::unique_ptr<app::CPlayerApp> player;
    ui::CDesktopView view(engine, settings, [&player] { return player->skinFolder(); });
    view.setLibrary([&player] {
        app::LibrarySession* session = player->library();
        return session ? &session->db() : nullptr;
    });
    player = std::make_unique<app::CPlayerApp>(
        ui::desktopServices(
            view, timers, work, engine, [](const std::vector<std::string>&) { return true; },
            [] {}),
        store, MELODUX_BUILD_DATA_DIR);
    if (!player->start({}) || !waitFor([&] { return player->library() != nullptr; }, 60000)) {
        std::fprintf(stderr, "the program did not start\n");
        return 1;
    }
    view.showRecordPanel();
    waitFor([] { return false; }, 500);  // the windows settle
    if (view.recordPanel() == nullptr) {
        std::fprintf(stderr, "no recording panel\n");
        return 1;
    }
    measureAdd(*view.recordPanel(), paths);
    return 0;
}
