#include "CddbTestServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <sstream>
#include <stdexcept>

namespace cdtest {

namespace {

constexpr int kPollMs = 20;

std::string percentDecode(std::string_view text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '+') {
            out += ' ';
        } else if (text[i] == '%' && i + 2 < text.size()) {
            out += static_cast<char>(std::stoi(std::string(text.substr(i + 1, 2)), nullptr, 16));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

int listenOnLoopback(int& port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(fd, 8) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        throw std::runtime_error("test server cannot listen");
    }
    port = ntohs(address.sin_port);
    return fd;
}

bool readable(int fd, const std::atomic<bool>& stop) {
    pollfd p{fd, POLLIN, 0};
    while (!stop.load()) {
        if (::poll(&p, 1, kPollMs) > 0) {
            return true;
        }
    }
    return false;
}

void sendAll(int fd, std::string_view data) {
    while (!data.empty()) {
        const ssize_t n = ::send(fd, data.data(), data.size(), MSG_NOSIGNAL);
        if (n <= 0) {
            return;
        }
        data.remove_prefix(static_cast<size_t>(n));
    }
}

}  // namespace

std::string HttpRequest::parameter(const std::string& name) const {
    const size_t query = target.find('?');
    std::string_view rest =
        query == std::string::npos ? "" : std::string_view(target).substr(query + 1);
    while (!rest.empty()) {
        const size_t amp = rest.find('&');
        const std::string_view pair = rest.substr(0, amp);
        if (pair.substr(0, pair.find('=')) == name) {
            return percentDecode(pair.substr(pair.find('=') + 1));
        }
        rest = amp == std::string_view::npos ? "" : rest.substr(amp + 1);
    }
    return {};
}

std::vector<std::string> HttpRequest::command() const {
    std::istringstream in(parameter("cmd"));
    std::vector<std::string> words;
    for (std::string word; in >> word;) {
        words.push_back(word);
    }
    return words;
}

CddbTestServer::CddbTestServer(Handler handler)
    : handler_(std::move(handler)),
      listener_(listenOnLoopback(port_)),
      thread_([this] { run(); }) {}

CddbTestServer::~CddbTestServer() {
    stop_.store(true);
    thread_.join();
    ::close(listener_);
}

std::string CddbTestServer::url() const {
    return "http://127.0.0.1:" + std::to_string(port_) + "/~cddb/cddb.cgi";
}

std::vector<HttpRequest> CddbTestServer::requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

void CddbTestServer::run() {
    while (readable(listener_, stop_)) {
        const int client = ::accept(listener_, nullptr, nullptr);
        if (client >= 0) {
            serve(client);
            ::close(client);
        }
    }
}

void CddbTestServer::serve(int client) {
    HttpRequest request;
    if (!readRequest(client, request)) {
        return;
    }
    {
        std::lock_guard lock(mutex_);
        requests_.push_back(request);
    }
    const HttpReply reply = handler_(request);
    if (reply.silent) {
        char byte;
        while (readable(client, stop_) && ::recv(client, &byte, 1, 0) > 0) {
        }
        return;
    }
    sendAll(client, "HTTP/1.1 " + std::to_string(reply.status) +
                        " X\r\nContent-Type: text/plain; charset=UTF-8\r\nContent-Length: " +
                        std::to_string(reply.body.size()) + "\r\nConnection: close\r\n\r\n");
    sendAll(client, reply.body);
}

bool CddbTestServer::readRequest(int client, HttpRequest& request) const {
    std::string data;
    char buffer[4096];
    size_t headerEnd;
    while ((headerEnd = data.find("\r\n\r\n")) == std::string::npos) {
        const ssize_t n = readable(client, stop_) ? ::recv(client, buffer, sizeof buffer, 0) : 0;
        if (n <= 0) {
            return false;
        }
        data.append(buffer, static_cast<size_t>(n));
    }
    std::istringstream head(data.substr(0, headerEnd));
    std::string line;
    head >> request.method >> request.target;
    std::getline(head, line);
    while (std::getline(head, line)) {
        const size_t colon = line.find(':');
        if (colon != std::string::npos) {
            const size_t value = line.find_first_not_of(' ', colon + 1);
            request.headers[line.substr(0, colon)] =
                line.substr(value, line.find_last_not_of('\r') + 1 - value);
        }
    }
    const auto length = request.headers.find("Content-Length");
    const size_t bodyLength = length == request.headers.end() ? 0 : std::stoul(length->second);
    request.body = data.substr(headerEnd + 4);
    while (request.body.size() < bodyLength) {
        const ssize_t n = readable(client, stop_) ? ::recv(client, buffer, sizeof buffer, 0) : 0;
        if (n <= 0) {
            return false;
        }
        request.body.append(buffer, static_cast<size_t>(n));
    }
    return true;
}

int closedPort() {
    int port = 0;
    const int fd = listenOnLoopback(port);
    ::close(fd);
    return port;
}

}  // namespace cdtest
