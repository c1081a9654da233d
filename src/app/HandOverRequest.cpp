#include "app/HandOverRequest.h"

#include <sys/socket.h>

#include <cerrno>

namespace app {

void HandOverRequest::answer() {
    const char done = static_cast<char>(HandOverMessage::kAnswerDone);
    sendAll(connection_.get(), std::string_view(&done, 1));
    connection_.reset();
}

bool sendAll(int socket, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t sent = ::send(socket, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (sent < 0 && errno == EINTR) {
            continue;
        }
        if (sent <= 0) {
            return false;
        }
        bytes.remove_prefix(static_cast<size_t>(sent));
    }
    return true;
}

}  // namespace app
