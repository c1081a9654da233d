#include "ui/library/ItemColumns.h"

#include <array>
#include <cstdio>

#include "mdb/MusicItem.h"

namespace ui::library {

namespace {

constexpr std::array<std::string_view, kItemColumns> kHeaders = {
    "",         "タイトル", "アーティスト", "アルバム",   "ジャンル",
    "トラック", "時間",     "サイズ",       "ファイル名",
};

}  // namespace

std::optional<ItemColumn> itemColumnAt(int index) {
    if (index < 0 || index >= kItemColumns) {
        return std::nullopt;
    }
    return static_cast<ItemColumn>(index + 1);
}

std::string_view columnHeader(ItemColumn column) {
    return kHeaders[static_cast<size_t>(column) - 1];
}

std::optional<mdb::MusicInfo::Type> sortField(ItemColumn column) {
    switch (column) {
        case ItemColumn::Playing:
            return std::nullopt;
        case ItemColumn::Title:
            return mdb::MusicInfo::Title;
        case ItemColumn::Artist:
            return mdb::MusicInfo::Artist;
        case ItemColumn::Album:
            return mdb::MusicInfo::Album;
        case ItemColumn::Genre:
            return mdb::MusicInfo::Genre;
        case ItemColumn::Track:
            return mdb::MusicInfo::Track;
        case ItemColumn::Time:
            return mdb::MusicInfo::PlayTime;
        case ItemColumn::Size:
            return mdb::MusicInfo::Size;
        case ItemColumn::FileName:
            return mdb::MusicInfo::Path;
    }
    return std::nullopt;
}

std::string playTimeText(uint32_t milliseconds) {
    const uint32_t seconds = milliseconds / 1000;
    char text[32];
    std::snprintf(text, sizeof text, "%u:%02u", seconds / 60, seconds % 60);
    return text;
}

std::string sizeText(uint32_t bytes) {
    const uint64_t kilobytes = (static_cast<uint64_t>(bytes) + 1023) / 1024;
    return std::to_string(kilobytes) + " KB";
}

std::string columnText(const mdb::MusicItem& item, ItemColumn column) {
    switch (column) {
        case ItemColumn::Playing:
            return {};
        case ItemColumn::Title:
            return std::string(item.text(mdb::MusicInfo::Title));
        case ItemColumn::Artist:
            return std::string(item.text(mdb::MusicInfo::Artist));
        case ItemColumn::Album:
            return std::string(item.text(mdb::MusicInfo::Album));
        case ItemColumn::Genre:
            return std::string(item.text(mdb::MusicInfo::Genre));
        case ItemColumn::Track:
            return item.number(mdb::MusicInfo::Track) == 0
                       ? std::string()
                       : std::to_string(item.number(mdb::MusicInfo::Track));
        case ItemColumn::Time:
            return playTimeText(item.number(mdb::MusicInfo::PlayTime));
        case ItemColumn::Size:
            return sizeText(item.number(mdb::MusicInfo::Size));
        case ItemColumn::FileName:
            return item.pathRef();
    }
    return {};
}

}  // namespace ui::library
