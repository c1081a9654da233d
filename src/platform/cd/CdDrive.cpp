#include "platform/cd/CdDrive.h"

#include <cdio/cdio.h>

#include "platform/cd/CdioDisc.h"
#include "platform/cd/CdioLog.h"

namespace platform::cd {

CdDrive::CdDrive(char letter, Kind kind, std::string path)
    : letter_(letter), kind_(kind), path_(std::move(path)) {}

std::string CdDrive::displayName() const {
    return std::string{letter_, ':', ' '} + path_;
}

std::unique_ptr<CdDisc> CdDrive::openDisc(ReadMode mode) const {
    silenceCdioLog();
    CdIo_t* cdio = kind_ == Kind::Image ? cdio_open_cue(path_.c_str())
                                        : cdio_open(path_.c_str(), DRIVER_DEVICE);
    return CdioDisc::open(cdio, mode);
}

bool CdDrive::eject() const {
    silenceCdioLog();
    return kind_ == Kind::Device && cdio_eject_media_drive(path_.c_str()) == DRIVER_OP_SUCCESS;
}

bool CdDrive::canWrite() const {
    if (kind_ != Kind::Device) {
        return false;
    }
    silenceCdioLog();
    cdio_drive_read_cap_t read = 0;
    cdio_drive_write_cap_t write = 0;
    cdio_drive_misc_cap_t misc = 0;
    cdio_get_drive_cap_dev(path_.c_str(), &read, &write, &misc);
    return (write & CDIO_DRIVE_CAP_WRITE_CD_R) != 0 && (write & CDIO_DRIVE_CAP_ERROR) == 0;
}

}  // namespace platform::cd
