#include "platform/cd/DriveList.h"

#include <cdio/cdio.h>

#include <memory>

#include "platform/AsciiText.h"
#include "platform/cd/CdioLog.h"

namespace platform::cd {

namespace {

struct DeviceListDeleter {
    void operator()(char** list) const { cdio_free_device_list(list); }
};

std::vector<std::string> deviceNodes() {
    silenceCdioLog();
    driver_id_t driver = DRIVER_DEVICE;
    std::unique_ptr<char*, DeviceListDeleter> list(cdio_get_devices_ret(&driver));
    std::vector<std::string> nodes;
    for (char** entry = list.get(); entry != nullptr && *entry != nullptr; ++entry) {
        nodes.emplace_back(*entry);
    }
    return nodes;
}

char upper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

std::string_view trim(std::string_view s) {
    return platform::trim(s, " \t\r");
}

}  // namespace

DriveList::DriveList(const DriveListOptions& options) {
    if (options.devices) {
        for (std::string& node : deviceNodes()) {
            add(CdDrive::Kind::Device, std::move(node));
        }
    }
    for (const std::string& image : options.images) {
        add(CdDrive::Kind::Image, image);
    }
}

void DriveList::add(CdDrive::Kind kind, std::string path) {
    const char letter = static_cast<char>(kFirstLetter + drives_.size());
    if (letter <= 'Z') {
        drives_.emplace_back(letter, kind, std::move(path));
    }
}

const CdDrive* DriveList::findByNumber(int number) const {
    for (const CdDrive& drive : drives_) {
        if (drive.number() == number) {
            return &drive;
        }
    }
    return nullptr;
}

const CdDrive* DriveList::findByLetter(char letter) const {
    return findByNumber(upper(letter) - 'A');
}

const CdDrive* DriveList::find(std::string_view driveText) const {
    driveText = trim(driveText);
    if (driveText.empty()) {
        return drives_.empty() ? nullptr : &drives_.front();
    }
    const bool letterOnly = driveText.size() == 1 || driveText[1] == ':';
    return letterOnly ? findByLetter(driveText[0]) : nullptr;
}

std::vector<std::string> splitImageList(std::string_view text, char separator) {
    std::vector<std::string> paths;
    while (!text.empty()) {
        const size_t end = text.find(separator);
        const std::string_view entry = trim(text.substr(0, end));
        if (!entry.empty()) {
            paths.emplace_back(entry);
        }
        text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
    }
    return paths;
}

}  // namespace platform::cd
