#pragma once

#include <array>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace app {

// A file type the program can open by default, in the options dialog's order.
struct AssociatedType {
    std::string_view extension;
    std::string_view mimeType;
};
inline constexpr std::array<AssociatedType, 6> kAssociatedTypes{{
    {".mp3", "audio/mpeg"},
    {".m3u", "audio/x-mpegurl"},
    {".wav", "audio/x-wav"},
    {".pls", "audio/x-scpls"},
    {".rmp", "audio/x-rmp3"},
    {".wma", "audio/x-ms-wma"},
}};

// The user's default applications by MIME type ("mimeapps.list",
// [Default Applications]). Making the program a type's default keeps the
// default it replaces in [X-Melodux_Back], and giving the type up restores
// exactly that; a type another program has taken since is left alone.
// Every other line of the file, comments included, stays as it was, and
// the file is replaced atomically.
class MimeAssociations {
  public:
    static constexpr std::string_view kDefaultsGroup = "[Default Applications]";
    static constexpr std::string_view kBackupGroup = "[X-Melodux_Back]";

    MimeAssociations(std::filesystem::path list, std::string desktopId);
    // $XDG_CONFIG_HOME/mimeapps.list, else ~/.config/mimeapps.list.
    static std::filesystem::path userList();

    // Whether the program is the type's default.
    bool IsAssociated(std::string_view mimeType) const;
    // False when the file could not be read or written; it is unchanged then.
    bool SetAssociation(std::string_view mimeType, bool enable);

  private:
    struct Lines {
        std::vector<std::string> text;
        bool readable = true;
    };
    Lines read() const;
    bool write(const Lines& lines) const;

    std::filesystem::path list_;
    std::string desktopId_;
};

}  // namespace app
