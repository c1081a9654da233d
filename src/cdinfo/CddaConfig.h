#pragma once

#include <filesystem>
#include <string>

#include "cdinfo/HttpClient.h"
#include "platform/cd/DriveList.h"

namespace platform {
class Registry;
}

namespace cdinfo {

// Where CCdda finds drives, the local database and the CDDB server.
struct CddaConfig {
    platform::cd::DriveListOptions drives;
    std::filesystem::path localDb;
    std::string server;  // "CDDBServer": a host, a server list entry or a URL
    std::string mailAddress;
    std::string submitMode = "submit";
    HttpOptions http;

    // The drives of this computer, "CDDBServer" and "MailAdres" of section
    // "CDDB", the local database in the user's data folder.
    static CddaConfig fromSettings(const platform::Registry& registry);
};

}  // namespace cdinfo
