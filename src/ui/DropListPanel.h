#pragma once

#include "app/PlayerPanels.h"

namespace ui {

// The list panel as the player follows it until the list/edit panel
// exists: the playlist last handed to it, from its first item.
class DropListPanel : public app::PlayerListPanel {
  public:
    // The panel's view kind for a playlist ("LibraryShowMode" 2).
    static constexpr int32_t kPlaylistKind = 2;

    void show(mdb::Group* list) { list_ = list; }

    int32_t ViewKind() const override { return kPlaylistKind; }
    mdb::Group* CurrentList() const override { return list_; }
    int32_t SelectedIndex() const override { return 0; }
    void ShowPlaying(mdb::Group*, int32_t) override {}
    void ShowOpenPath(const std::string&) override {}

  private:
    mdb::Group* list_ = nullptr;
};

}  // namespace ui
