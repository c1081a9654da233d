// The list/edit panel in the desktop program as main() assembles it, over a
// library of 100 000 generated items saved and loaded back as the program
// loads it, and 10 000 real tagged MP3 files added through the panel:
//   show     the panel's request to the end of its first paint (<= 300 ms)
//   scroll   page steps and jumps, each to the end of its repaint (<= 50 ms)
//   sort     a header click per column and order, to its repaint (<= 50 ms)
//   add      files/s of a folder added while the panel shows the library
//            (>= 2000), the longest the UI thread was held meanwhile
//            (<= 50 ms) and whether the progress dialog showed
//   cancel   the progress dialog's Cancel to the end of the run (<= 200 ms)
// The whole process runs on one core. Private settings and data in a
// temporary folder; nothing of the user's is read or written.
// Usage: panel_goals_bench [--write-library DIR]: with DIR, only saves the
// generated library there (for bench/ui/library_goals.sh) and ends.
#include <sched.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QProgressDialog>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "app/AppSettings.h"
#include "app/CPlayerApp.h"
#include "app/Engine.h"
#include "app/PlayerSettings.h"
#include "app/SettingsStore.h"
#include "mdb/GeneratedLibrary.h"
#include "support/PrivateFolders.h"
#include "ui/CDesktopView.h"
#include "ui/DesktopServices.h"
#include "ui/PoolWork.h"
#include "ui/QtTimerService.h"
#include "ui/library/CListPanel.h"
#include "ui/library/ItemColumns.h"

namespace {

constexpr size_t kItems = 100000;
constexpr size_t kFiles = 10000;
using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// The calling thread's processor time: the machine may be shared, so the
// wall time also counts other programs' turns.
double threadCpuMs() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

double cpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

long statusKb(const char* key) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(key, 0) == 0) {
            return std::atol(line.c_str() + std::strlen(key));
        }
    }
    return -1;
}

void saveGeneratedLibrary(const std::string& folder) {
    std::filesystem::create_directories(folder);
    benchlib::generatedDatabase(kItems)->save(folder);
}

// Copies of a real MP3 stream, each with its own ID3v1 tag.
std::string writeTaggedFiles(const std::filesystem::path& dir, const std::string& prefix) {
    std::filesystem::create_directories(dir);
    std::ifstream in(MELODUX_MP3_SAMPLE, std::ios::binary);
    const std::string audio((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    for (size_t i = 0; i < kFiles; ++i) {
        char tag[128] = {};
        std::memcpy(tag, "TAG", 3);
        std::snprintf(tag + 3, 30, "%s song %zu", prefix.c_str(), i);
        std::snprintf(tag + 33, 30, "Band %zu", i % 300);
        std::snprintf(tag + 63, 30, "Record %zu", i % 900);
        std::memcpy(tag + 93, "2001", 4);
        tag[126] = static_cast<char>(i % 20 + 1);
        tag[127] = static_cast<char>(i % 80);
        std::ofstream out(dir / (prefix + std::to_string(i) + ".mp3"), std::ios::binary);
        out << audio;
        out.write(tag, sizeof tag);
    }
    // Warm cache: every file read once.
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        std::ifstream file(entry.path(), std::ios::binary);
        std::string bytes((std::istreambuf_iterator<char>(file)), {});
    }
    return dir.string();
}

// Runs the event loop until `done` holds or `ms` have passed.
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

// The longest the UI thread went without serving a 1 ms timer.
class StallWatch {
  public:
    StallWatch() {
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            const auto now = Clock::now();
            const double gap = std::chrono::duration<double, std::milli>(now - last_).count();
            if (gap > worst_) {
                worst_ = gap;
                worstAt_ = std::chrono::duration<double, std::milli>(now - start_).count();
            }
            const double cpu = threadCpuMs();
            worstCpu_ = std::max(worstCpu_, cpu - lastCpu_);
            last_ = now;
            lastCpu_ = cpu;
        });
        timer_.setTimerType(Qt::PreciseTimer);
    }
    void start() {
        worst_ = worstCpu_ = 0;
        start_ = last_ = Clock::now();
        lastCpu_ = threadCpuMs();
        timer_.start(1);
    }
    double stop() {
        timer_.stop();
        return worst_;
    }
    // When the worst stall ended, in ms after start().
    double worstAt() const { return worstAt_; }
    // The most processor time the UI thread spent between two ticks.
    double worstCpu() const { return worstCpu_; }

  private:
    QTimer timer_;
    Clock::time_point start_;
    Clock::time_point last_;
    double worst_ = 0;
    double worstAt_ = 0;
    double lastCpu_ = 0;
    double worstCpu_ = 0;
};

// Frame times: wall and the UI thread's own work.
struct Frames {
    std::vector<double> wall;
    std::vector<double> cpu;
    template <typename F>
    double time(F&& frame) {
        const auto start = Clock::now();
        const double cpuStart = threadCpuMs();
        frame();
        cpu.push_back(threadCpuMs() - cpuStart);
        wall.push_back(msSince(start));
        return cpu.back();
    }
    void print(const char* what) {
        std::sort(wall.begin(), wall.end());
        std::sort(cpu.begin(), cpu.end());
        std::printf(
            "%-40s work median %6.2f ms, worst %6.2f ms (goal <= 50 ms); wall median "
            "%6.2f ms, worst %6.2f ms; %zu frames\n",
            what, cpu[cpu.size() / 2], cpu.back(), wall[wall.size() / 2], wall.back(), cpu.size());
    }
};

// Ends the first paint of `widget` once seen.
class PaintSeen : public QObject {
  public:
    bool seen = false;

  protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            seen = true;
        }
        return false;
    }
};

void measureShow(ui::CDesktopView& view) {
    ui::library::CListPanel& panel = *view.listPanel();
    PaintSeen paint;
    panel.libraryItems().viewport()->installEventFilter(&paint);
    const auto start = Clock::now();
    view.showListPanel();
    // The paint event is dispatched within processEvents: its return ends it.
    while (!paint.seen) {
        QCoreApplication::processEvents();
    }
    std::printf("%-40s %7.1f ms (goal <= 300 ms), %d rows\n", "show: request to first paint",
                msSince(start), panel.libraryItems().model()->rowCount());
    panel.libraryItems().viewport()->removeEventFilter(&paint);
}

void measureScroll(QTableView& table) {
    QScrollBar& bar = *table.verticalScrollBar();
    Frames frames;
    std::mt19937 random(7);
    for (int step = 0; step < 300; ++step) {
        frames.time([&] {
            if (step % 3 == 2) {
                bar.setValue(int(random() % unsigned(bar.maximum() + 1)));
            } else {
                bar.triggerAction(QAbstractSlider::SliderPageStepAdd);
            }
            table.viewport()->repaint();
        });
    }
    frames.print("scroll: page steps and jumps");
}

void measureSort(QTableView& table) {
    Frames frames;
    QHeaderView& header = *table.horizontalHeader();
    for (int column = 1; column < ui::library::kItemColumns; ++column) {
        const std::string_view name = ui::library::columnHeader(*ui::library::itemColumnAt(column));
        std::printf("  sort by %.*s, work:", int(name.size()), name.data());
        for (int order = 0; order < 2; ++order) {
            const double work = frames.time([&] {
                emit header.sectionClicked(column);
                table.viewport()->repaint();
                header.viewport()->repaint();
            });
            std::printf(" %6.2f ms", work);
        }
        std::printf("\n");
    }
    frames.print("sort: header click to repaint");
}

void measureAdd(ui::library::CListPanel& panel, const std::string& folder) {
    StallWatch stalls;
    const size_t before = panel.libraryItems().model()->rowCount();
    bool progressShown = false;
    const double cpuStart = cpuSeconds();
    const auto start = Clock::now();
    stalls.start();
    panel.addPaths({folder});
    waitFor(
        [&] {
            progressShown = progressShown || (panel.progress() && panel.progress()->isVisible());
            return !panel.adder()->running();
        },
        120000);
    const double wall = msSince(start);
    const double worst = stalls.stop();
    const size_t added = panel.libraryItems().model()->rowCount() - before;
    std::printf(
        "%-40s %7.0f files/s (goal >= 2000; %zu files in %.2f s, %.2f s CPU), progress %s\n",
        "add: a folder of tagged MP3 files", double(added) / (wall / 1000.0), added, wall / 1000.0,
        cpuSeconds() - cpuStart, progressShown ? "shown" : "NOT shown");
    std::printf(
        "%-40s %7.2f ms of UI thread work (goal <= 50 ms); %.2f ms wall, ending %.0f ms "
        "into the run\n",
        "add: longest UI thread stall", stalls.worstCpu(), worst, stalls.worstAt());
}

void measureCancel(ui::library::CListPanel& panel, const std::string& folder) {
    panel.addPaths({folder});
    waitFor([&] { return panel.progress() && panel.progress()->value() >= int(kFiles / 5); },
            60000);
    const auto start = Clock::now();
    // As the user's click on the dialog's button.
    panel.progress()->findChild<QPushButton*>()->click();
    waitFor([&] { return !panel.adder()->running(); }, 10000);
    std::printf("%-40s %7.1f ms (goal <= 200 ms)\n", "cancel: Cancel to the end of the run",
                msSince(start));
}

void pinToOneCore() {
    cpu_set_t one;
    CPU_ZERO(&one);
    CPU_SET(0, &one);
    sched_setaffinity(0, sizeof one, &one);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == "--write-library") {
        saveGeneratedLibrary(argv[2]);
        return 0;
    }
    // Before any thread starts: they all inherit the one core.
    pinToOneCore();
    const benchsupport::PrivateFolders folders("panel-goals");
    saveGeneratedLibrary(app::libraryFolder());
    const std::string first = writeTaggedFiles(folders.music() / "first", "first");
    const std::string second = writeTaggedFiles(folders.music() / "second", "second");

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
    const auto loadStart = Clock::now();
    if (!player->start({}) || !waitFor([&] { return player->library() != nullptr; }, 60000)) {
        std::fprintf(stderr, "the program did not start\n");
        return 1;
    }
    std::printf("%-40s %7.1f ms, %zu items, RSS %ld kB\n", "start and library load",
                msSince(loadStart), player->library()->db().library().count(), statusKb("VmRSS:"));
    waitFor([] { return false; }, 500);  // the main window settles

    measureShow(view);
    QTableView& items = view.listPanel()->libraryItems();
    measureScroll(items);
    measureSort(items);
    measureAdd(*view.listPanel(), first);
    measureCancel(*view.listPanel(), second);
    std::printf("%-40s %7ld kB (peak %ld kB; goal <= 250 MB for the whole program)\n",
                "resident memory of the bench", statusKb("VmRSS:"), statusKb("VmHWM:"));
    return 0;
}
