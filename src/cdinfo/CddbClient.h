#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "cdinfo/CddbEntry.h"
#include "cdinfo/CddbReply.h"
#include "cdinfo/DiscToc.h"
#include "cdinfo/HttpClient.h"

namespace cdinfo {

inline constexpr std::string_view kDefaultCddbHost = "gnudb.gnudb.org";
inline constexpr std::string_view kDefaultCddbPath = "/~cddb/cddb.cgi";
inline constexpr std::string_view kClientName = "MP3Melodux";
inline constexpr int kCddbProtocolLevel = 6;  // UTF-8 replies

enum class CddbStatus { Ok, NotFound, ServerError, NetworkError };

struct CddbClientOptions {
    std::string serverUrl;              // "http://host:port/~cddb/cddb.cgi"
    std::string mailAddress;            // "user@host", sent in the hello
    std::string submitMode = "submit";  // "test" has the server check only
    HttpOptions http;
};

// The CDDB protocol over HTTP: every command is one GET of the server's
// cddb.cgi; submissions are POSTed to submit.cgi beside it.
class CddbClient {
  public:
    explicit CddbClient(CddbClientOptions options);

    // Queries the disc and reads the chosen match.
    CddbStatus lookup(const DiscToc& toc, CddbEntry& entry, std::string& category) const;
    CddbStatus sites(std::vector<CddbSite>& sites) const;
    // Sends the entry as it stands (offsets, length, revision, titles).
    CddbStatus submit(const CddbEntry& entry, const std::string& category, uint32_t discId) const;

    // The GET address of a command ("cddb query ...") with hello and proto.
    std::string commandUrl(const std::vector<std::string>& words) const;
    std::string submitUrl() const;

  private:
    CddbStatus command(const std::vector<std::string>& words, CddbReply& reply) const;
    CddbStatus read(const CddbMatch& match, CddbEntry& entry) const;

    CddbClientOptions options_;
};

// The server address from a "CDDBServer" text: a URL as it is, or
// "host [port [HTTP path]]" as the server list shows servers, or empty for
// the default server.
std::string cddbServerUrl(std::string_view serverText);

// The client version sent in the hello and the submission.
std::string_view cddbClientVersion();

}  // namespace cdinfo
