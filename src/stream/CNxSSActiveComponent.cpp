#include "stream/CNxSSActiveComponent.h"

#include <pthread.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>

#include "stream/CNxSSException.h"
#include "stream/ResultCodes.h"

CNxSSActiveComponent::CNxSSActiveComponent(CNxSSObject* parent) : CNxSSComponent(parent) {}

CNxSSActiveComponent::~CNxSSActiveComponent() {
    StopThread();
}

uint32_t CNxSSActiveComponent::SeekAndWait(int32_t ms) {
    return PostCommand(kCmdSeek, ms, 0, true);
}

void CNxSSActiveComponent::Shutdown() {
    stopping_ = true;
    StopThread();
}

void CNxSSActiveComponent::StartThread(int priority) {
    if (thread_.joinable()) {
        throw CNxSSException(nxss::kFail);
    }
    try {
        thread_ = std::thread([this, priority] {
            SetThreadPriority(priority);
            ThreadMain();
        });
    } catch (const std::system_error&) {
        throw CNxSSException(nxss::kFail);
    }
}

uint32_t CNxSSActiveComponent::PostCommand(uint32_t code, int32_t param1, int32_t param2,
                                           bool wait) {
    if (!thread_.joinable()) {
        throw CNxSSException(nxss::kFail);
    }
    uint32_t result = static_cast<uint32_t>(param1);
    platform::Event replied(platform::Event::Reset::Manual);
    {
        std::lock_guard lock(queueMutex_);
        Entry entry{code, param1, param2, {}};
        if (wait) {
            entry.replies.push_back({&result, &replied});
        }
        queue_.push_back(std::move(entry));
    }
    commandEvent_.set();
    if (wait) {
        replied.wait();
    }
    return result;
}

void CNxSSActiveComponent::StopThread() {
    if (!thread_.joinable()) {
        return;
    }
    PostCommand(kCmdQuit, 0, 0, false);
    thread_.join();
}

void CNxSSActiveComponent::Advise(platform::MessageTarget* window, uint32_t message,
                                  intptr_t lParam) {
    std::lock_guard lock(sinksMutex_);
    sinks_.push_back({window, message, lParam});
}

uint32_t CNxSSActiveComponent::OnCommand(uint32_t, int32_t, int32_t) {
    return 0;
}

void CNxSSActiveComponent::SetWaitTimeout(int ms) {
    waitTimeout_ = ms;
}

void CNxSSActiveComponent::Notify(uint32_t code) {
    std::lock_guard lock(sinksMutex_);
    for (const Sink& sink : sinks_) {
        while (!stopping_ && !sink.window->post(sink.message, code, sink.lParam)) {
            std::this_thread::yield();
        }
    }
}

size_t CNxSSActiveComponent::QueueLength() {
    std::lock_guard lock(queueMutex_);
    return queue_.size();
}

void CNxSSActiveComponent::ThreadMain() {
    for (;;) {
        if (!commandEvent_.wait(waitTimeout_)) {
            if (const uint32_t code = Dispatch(kCmdIdle, 0, 0)) {
                Notify(code);
            }
            continue;
        }
        Entry entry;
        while (TakeNext(entry)) {
            const uint32_t result = Dispatch(entry.code, entry.param1, entry.param2);
            if (entry.replies.empty() && result != 0) {
                Notify(result);
            }
            Answer(entry.replies, result);
            if (entry.code == kCmdQuit) {
                AnswerRemaining();
                return;
            }
        }
    }
}

// Takes the oldest command. When the queue holds more of the same code, the
// newest of them runs in its place and the others are dropped, their
// waiters getting its result: a burst of one command costs one run.
bool CNxSSActiveComponent::TakeNext(Entry& entry) {
    std::lock_guard lock(queueMutex_);
    while (!queue_.empty()) {
        entry = std::move(queue_.front());
        queue_.pop_front();
        if (stopping_ && entry.code != kCmdQuit) {
            Answer(entry.replies, static_cast<uint32_t>(entry.param1));
            continue;
        }
        const auto newest = std::find_if(queue_.rbegin(), queue_.rend(),
                                         [&](const Entry& e) { return e.code == entry.code; });
        if (newest != queue_.rend()) {
            entry.code = newest->code;
            entry.param1 = newest->param1;
            entry.param2 = newest->param2;
            for (auto it = queue_.begin(); it != queue_.end();) {
                if (it->code != entry.code) {
                    ++it;
                    continue;
                }
                entry.replies.insert(entry.replies.end(), it->replies.begin(), it->replies.end());
                it = queue_.erase(it);
            }
        }
        return true;
    }
    return false;
}

void CNxSSActiveComponent::Answer(const std::vector<Reply>& replies, uint32_t result) {
    for (const Reply& reply : replies) {
        *reply.result = result;
        reply.done->set();
    }
}

// Nobody is left to run what was queued after quit; its waiters must not hang.
void CNxSSActiveComponent::AnswerRemaining() {
    std::lock_guard lock(queueMutex_);
    for (const Entry& e : queue_) {
        Answer(e.replies, static_cast<uint32_t>(e.param1));
    }
    queue_.clear();
}

uint32_t CNxSSActiveComponent::Dispatch(uint32_t code, int32_t param1, int32_t param2) {
    try {
        return OnCommand(code, param1, param2);
    } catch (const CNxSSException& e) {
        try {
            OnCommandFailed();
        } catch (const CNxSSException&) {
            // The first failure is the one to report.
        }
        return e.Code();
    }
}

void CNxSSActiveComponent::SetThreadPriority(int priority) {
    // Best effort: raising a thread above normal needs privileges on Linux.
    if (priority > kPriorityNormal) {
        setpriority(PRIO_PROCESS, static_cast<id_t>(syscall(SYS_gettid)), -5 * priority);
    }
}
