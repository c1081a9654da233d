// A program that is nothing but the single-instance start, for tests that
// run it twice: "instance_probe FILE..." prints "first" when it becomes the
// running instance and then one line per hand-over it takes
// ("files A|B token T"), answering each, until it is killed. A later start
// prints how its hand-over went ("handed-over", "refused", "no-answer") and
// ends.
#include <poll.h>

#include <cstdio>
#include <string>
#include <vector>

#include "app/InstanceFolder.h"
#include "app/SingleInstance.h"

namespace {

const char* claimName(app::SingleInstance::Claim claim) {
    switch (claim) {
        case app::SingleInstance::Claim::HandedOver:
            return "handed-over";
        case app::SingleInstance::Claim::Refused:
            return "refused";
        default:
            return "no-answer";
    }
}

void serve(app::InstanceListener& listener) {
    for (;;) {
        pollfd fd{listener.readyFd(), POLLIN, 0};
        ::poll(&fd, 1, -1);
        for (app::HandOverRequest& request : listener.takeRequests()) {
            std::string files;
            for (const std::string& file : request.message().files) {
                files += (files.empty() ? "" : "|") + file;
            }
            std::printf("files %s token %s\n", files.c_str(),
                        request.message().activationToken.c_str());
            std::fflush(stdout);
            request.answer();
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    app::SingleInstance instance(app::instanceFolder());
    const app::HandOverMessage message{std::vector<std::string>(argv + 1, argv + argc),
                                       app::activationToken()};
    const auto claim = instance.claim(message);
    if (claim != app::SingleInstance::Claim::First) {
        std::printf("%s\n", claimName(claim));
        return 0;
    }
    std::printf("first\n");
    std::fflush(stdout);
    serve(*instance.listener());
}
