// What the window system and the toolkit cost on this machine before the
// player does anything: a bare window that repaints a 40x40 square every
// 40 ms from its UI thread (as the spectrum does), and a bare thread that
// wakes every 40 ms (as the spectrum worker does). Each runs for 20 s after
// a 2 s start and prints its CPU time over those 20 s.
// Usage: paint_floor paint|wake   (paint needs an X display)
#include <QApplication>
#include <QPainter>
#include <QTimer>
#include <QWidget>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <ctime>
#include <mutex>
#include <string_view>
#include <thread>

namespace {

using namespace std::chrono_literals;

constexpr auto kPeriod = 40ms;
constexpr auto kWarmUp = 2s;
constexpr auto kMeasured = 20s;

double processSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

class Square : public QWidget {
  public:
    Square() {
        resize(300, 100);
        setAttribute(Qt::WA_OpaquePaintEvent);
    }
    void step() {
        ++frame_;
        update(kArea);
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(kArea, frame_ % 2 ? Qt::red : Qt::blue);
    }

  private:
    static constexpr QRect kArea{10, 10, 40, 40};
    int frame_ = 0;
};

int paint(int argc, char** argv) {
    // As the player runs: paints go to X in the request, not through shared memory.
    qputenv("QT_XCB_NO_MITSHM", "1");
    QApplication application(argc, argv);
    Square square;
    square.show();
    QTimer frames;
    QObject::connect(&frames, &QTimer::timeout, &square, &Square::step);
    frames.start(kPeriod);
    double started = 0;
    QTimer::singleShot(kWarmUp, [&] { started = processSeconds(); });
    QTimer::singleShot(kWarmUp + kMeasured, [&] {
        std::printf("a bare window repainting 40x40 every 40 ms: %.3f s over 20 s\n",
                    processSeconds() - started);
        application.quit();
    });
    return QApplication::exec();
}

int wake() {
    std::mutex mutex;
    std::condition_variable never;
    std::this_thread::sleep_for(kWarmUp);
    const double started = processSeconds();
    std::thread sleeper([&] {
        std::unique_lock lock(mutex);
        const auto end = std::chrono::steady_clock::now() + kMeasured;
        while (std::chrono::steady_clock::now() < end) {
            never.wait_for(lock, kPeriod);
        }
    });
    sleeper.join();
    std::printf("a bare thread waking every 40 ms: %.3f s over 20 s\n", processSeconds() - started);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string_view mode = argc > 1 ? argv[1] : "";
    if (mode == "paint") {
        return paint(argc, argv);
    }
    if (mode == "wake") {
        return wake();
    }
    std::fprintf(stderr, "usage: paint_floor paint|wake\n");
    return 2;
}
