#pragma once

#include <algorithm>
#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "app/AppView.h"
#include "app/BackgroundWork.h"
#include "app/PlaybackControl.h"
#include "app/TimerService.h"
#include "mdb/MutableGroup.h"

namespace apptest {

// Timers on a clock the test moves.
class FakeTimers : public app::TimerService {
  public:
    class FakeTimer : public Timer {
      public:
        FakeTimer(FakeTimers& owner, std::function<void()> expired)
            : owner_(owner), expired_(std::move(expired)) {
            owner_.timers_.push_back(this);
        }
        ~FakeTimer() override { std::erase(owner_.timers_, this); }
        void start(std::chrono::milliseconds delay) override {
            due_ = owner_.now_ + delay;
            active_ = true;
        }
        void stop() override { active_ = false; }
        bool active() const override { return active_; }

      private:
        friend class FakeTimers;
        FakeTimers& owner_;
        std::function<void()> expired_;
        std::chrono::milliseconds due_{0};
        bool active_ = false;
    };

    std::unique_ptr<Timer> makeTimer(std::function<void()> expired) override {
        return std::make_unique<FakeTimer>(*this, std::move(expired));
    }
    // Moves the clock on, firing the timers that fall due on the way.
    void advance(std::chrono::milliseconds by) {
        const auto until = now_ + by;
        while (fireNext(until)) {
        }
        now_ = until;
    }
    // Fires the timer due first if it is due by `until`.
    bool fireNext(std::chrono::milliseconds until = std::chrono::milliseconds::max()) {
        FakeTimer* next = nullptr;
        for (FakeTimer* timer : timers_) {
            if (timer->active_ && timer->due_ <= until && (!next || timer->due_ < next->due_)) {
                next = timer;
            }
        }
        if (next) {
            now_ = std::max(now_, next->due_);
            next->active_ = false;
            next->expired_();
        }
        return next != nullptr;
    }
    bool anyActive() const {
        return std::any_of(timers_.begin(), timers_.end(), [](auto* t) { return t->active_; });
    }

  private:
    std::chrono::milliseconds now_{0};
    std::vector<FakeTimer*> timers_;  // owned by their users
};

// Work on real threads; what is done comes back when the test drains it.
class ThreadWork : public app::BackgroundWork {
  public:
    ~ThreadWork() override { drain(); }
    void run(std::function<void()> work, std::function<void()> done) override {
        threads_.emplace_back(std::move(work));
        dones_.push_back(std::move(done));
    }
    // Waits for every work and runs what follows it, as the owner's
    // thread, until what follows starts no more work.
    void drain() {
        while (!threads_.empty()) {
            for (std::thread& thread : std::exchange(threads_, {})) {
                thread.join();
            }
            for (auto& done : std::exchange(dones_, {})) {
                done();
            }
        }
    }

  private:
    std::vector<std::thread> threads_;
    std::vector<std::function<void()>> dones_;
};

// Records what the application asks, in order, and answers as told.
class FakeView : public app::AppView, public app::PlaybackControl {
  public:
    void showMessage(std::string_view text) override { log("message " + std::string(text)); }
    void showStopMessage(std::string_view text) override { log("stop " + std::string(text)); }
    bool askOkCancel(std::string_view text) override {
        log("ask " + std::string(text));
        return okAnswer;
    }
    SaveFailureChoice askSaveFailed(std::string_view text) override {
        log("save failed " + std::string(text));
        if (onSaveFailed) {
            onSaveFailed();
        }
        const SaveFailureChoice choice = saveAnswers.front();
        saveAnswers.erase(saveAnswers.begin());
        return choice;
    }
    void reportLibraryOpenFailure(const std::exception& e) override {
        log("library failure " + std::string(e.what()));
    }
    void reportLoadProblems(const std::vector<mdb::LoadProblem>&) override { log("problems"); }
    void createMainWindow(std::string_view title) override { log("create " + std::string(title)); }
    void showMainWindow() override {
        log("show main");
        if (onShowMain) {
            onShowMain();
        }
    }
    void bringToFront() override { log("front"); }
    void showListPanel() override {
        listVisible = true;
        log("show list");
    }
    void showRecordPanel() override { log("show record"); }
    bool isListPanelVisible() const override { return listVisible; }
    void restoreListView(int mode, const std::string& library,
                         const std::string& playlist) override {
        log("view " + std::to_string(mode) + " " + library + " " + playlist);
    }
    void selectPlaylist(const std::string& name) override { log("select " + name); }
    bool ctrlHeld() const override { return false; }
    bool isRecording() const override { return recording; }
    void stopRecording() override { log("stop recording"); }
    bool isCddbExchangeRunning() const override { return cddbBusy; }
    void saveState() override { log("save state"); }

    void stop() override { log("stop playback"); }
    void playPlaylist(mdb::MutableGroup& playlist) override { log("play " + playlist.getName()); }

    void log(std::string entry) { calls.push_back(std::move(entry)); }
    bool has(const std::string& entry) const {
        return std::find(calls.begin(), calls.end(), entry) != calls.end();
    }

    std::vector<std::string> calls;
    bool listVisible = false;
    bool recording = false;
    bool cddbBusy = false;
    bool okAnswer = true;
    std::vector<SaveFailureChoice> saveAnswers;
    std::function<void()> onSaveFailed;
    std::function<void()> onShowMain;
};

}  // namespace apptest
