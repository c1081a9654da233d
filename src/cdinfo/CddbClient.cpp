#include "cdinfo/CddbClient.h"

#include <charconv>
#include <sstream>

#include "platform/TextCodec.h"

namespace cdinfo {

namespace {

std::vector<std::string> words(std::string_view text) {
    std::vector<std::string> out;
    std::istringstream in{std::string(text)};
    for (std::string word; in >> word;) {
        out.push_back(word);
    }
    return out;
}

bool isPort(std::string_view text) {
    int port = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), port);
    return ec == std::errc{} && end == text.data() + text.size() && port > 0 && port < 65536;
}

// The user and host words of the hello, from the e-mail address.
std::pair<std::string, std::string> helloNames(std::string_view mail) {
    const size_t at = mail.find('@');
    if (at == std::string_view::npos || at == 0 || at + 1 == mail.size()) {
        return {"anonymous", "localhost"};
    }
    return {std::string(mail.substr(0, at)), std::string(mail.substr(at + 1))};
}

std::string queryWord(uint32_t value) {
    return std::to_string(value);
}

}  // namespace

std::string_view cddbClientVersion() {
    return MELODUX_VERSION;
}

std::string cddbServerUrl(std::string_view serverText) {
    const std::vector<std::string> w = words(serverText);
    if (w.empty()) {
        return "http://" + std::string(kDefaultCddbHost) + std::string(kDefaultCddbPath);
    }
    if (w[0].starts_with("http://") || w[0].starts_with("https://")) {
        return w[0];
    }
    std::string url = "http://" + w[0];
    if (w.size() > 1 && isPort(w[1]) && w[1] != "80") {
        url += ":" + w[1];
    }
    const bool pathGiven = w.size() > 3 && w[2] == "HTTP" && w[3].starts_with("/");
    return url + (pathGiven ? w[3] : std::string(kDefaultCddbPath));
}

CddbClient::CddbClient(CddbClientOptions options) : options_(std::move(options)) {}

std::string CddbClient::commandUrl(const std::vector<std::string>& command) const {
    std::string url = options_.serverUrl + "?cmd=";
    for (size_t i = 0; i < command.size(); ++i) {
        if (i > 0) {
            url += '+';
        }
        url += urlEncode(command[i]);
    }
    const auto [user, host] = helloNames(options_.mailAddress);
    url += "&hello=" + urlEncode(user) + "+" + urlEncode(host) + "+" + urlEncode(kClientName) +
           "+" + urlEncode(cddbClientVersion());
    return url + "&proto=" + std::to_string(kCddbProtocolLevel);
}

std::string CddbClient::submitUrl() const {
    const std::string& url = options_.serverUrl;
    const size_t scheme = url.find("://");
    const size_t slash = url.rfind('/');
    if (slash == std::string::npos || (scheme != std::string::npos && slash < scheme + 3)) {
        return url + "/submit.cgi";
    }
    return url.substr(0, slash) + "/submit.cgi";
}

CddbStatus CddbClient::command(const std::vector<std::string>& command, CddbReply& reply) const {
    const HttpResponse response = httpGet(commandUrl(command), options_.http);
    if (response.outcome == HttpResponse::Outcome::TooLarge) {
        return CddbStatus::ServerError;
    }
    if (response.outcome != HttpResponse::Outcome::Ok || response.status != 200) {
        return CddbStatus::NetworkError;
    }
    auto parsed = parseCddbReply(platform::toUtf8Guess(response.body));
    if (!parsed) {
        return CddbStatus::ServerError;
    }
    reply = std::move(*parsed);
    return CddbStatus::Ok;
}

CddbStatus CddbClient::lookup(const DiscToc& toc, CddbEntry& entry, std::string& category) const {
    const uint32_t discId = freedbDiscId(toc);
    std::vector<std::string> query{"cddb", "query", discIdText(discId),
                                   queryWord(static_cast<uint32_t>(toc.trackCount()))};
    for (uint32_t offset : toc.offsets) {
        query.push_back(queryWord(offset));
    }
    query.push_back(queryWord(toc.discSeconds()));
    CddbReply reply;
    if (const CddbStatus status = command(query, reply); status != CddbStatus::Ok) {
        return status;
    }
    if (reply.code == 202) {
        return CddbStatus::NotFound;
    }
    const auto match = chooseMatch(queryMatches(reply), discId);
    if (!match) {
        return CddbStatus::ServerError;
    }
    category = match->category;
    return read(*match, entry);
}

CddbStatus CddbClient::read(const CddbMatch& match, CddbEntry& entry) const {
    CddbReply reply;
    const CddbStatus status =
        command({"cddb", "read", match.category, discIdText(match.discId)}, reply);
    if (status != CddbStatus::Ok) {
        return status;
    }
    if (reply.code == 401) {
        return CddbStatus::NotFound;
    }
    std::string text;
    for (const std::string& line : reply.lines) {
        text += line + "\n";
    }
    auto parsed = reply.code == 210 ? parseCddbEntry(text) : std::nullopt;
    if (!parsed) {
        return CddbStatus::ServerError;
    }
    entry = std::move(*parsed);
    return CddbStatus::Ok;
}

CddbStatus CddbClient::sites(std::vector<CddbSite>& sites) const {
    CddbReply reply;
    if (const CddbStatus status = command({"sites"}, reply); status != CddbStatus::Ok) {
        return status;
    }
    if (reply.code == 401) {
        return CddbStatus::NotFound;
    }
    if (reply.code != 210) {
        return CddbStatus::ServerError;
    }
    sites = siteList(reply);
    return CddbStatus::Ok;
}

CddbStatus CddbClient::submit(const CddbEntry& entry, const std::string& category,
                              uint32_t discId) const {
    const std::vector<std::string> headers{
        "Category: " + category,
        "Discid: " + discIdText(discId),
        "User-Email: " + options_.mailAddress,
        "Submit-Mode: " + options_.submitMode,
        "Charset: UTF-8",
        "X-Cddbd-Note: Sent by " + std::string(kClientName) + " " +
            std::string(cddbClientVersion()),
        "Content-Type: text/plain; charset=UTF-8",
    };
    const HttpResponse response =
        httpPost(submitUrl(), headers, renderCddbEntry(entry, false), options_.http);
    if (response.outcome == HttpResponse::Outcome::TooLarge) {
        return CddbStatus::ServerError;
    }
    if (response.outcome != HttpResponse::Outcome::Ok || response.status != 200) {
        return CddbStatus::NetworkError;
    }
    const auto reply = parseCddbReply(platform::toUtf8Guess(response.body));
    return reply && reply->code == 200 ? CddbStatus::Ok : CddbStatus::ServerError;
}

}  // namespace cdinfo
