#pragma once

#include "app/HandOverMessage.h"
#include "platform/UniqueFd.h"

namespace app {

// A hand-over received from a second start, waiting for the owner's
// thread. The sender waits for answer(); a request dropped unanswered
// closes the connection, which the sender takes as no answer.
class HandOverRequest {
  public:
    HandOverRequest(HandOverMessage message, platform::UniqueFd connection)
        : message_(std::move(message)), connection_(std::move(connection)) {}

    const HandOverMessage& message() const { return message_; }
    // Tells the sender that its files were opened.
    void answer();

  private:
    HandOverMessage message_;
    platform::UniqueFd connection_;
};

// Sends `bytes` whole on a socket (no SIGPIPE when the peer has gone);
// false when the peer is gone.
bool sendAll(int socket, std::string_view bytes);

}  // namespace app
