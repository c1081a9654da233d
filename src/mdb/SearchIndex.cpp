#include "mdb/SearchIndex.h"

#include <algorithm>

#include "mdb/MusicItem.h"
#include "mdb/TextRules.h"

namespace mdb {

namespace {

constexpr MusicInfo::Type kFields[] = {MusicInfo::Path, MusicInfo::Title, MusicInfo::Artist,
                                       MusicInfo::Album, MusicInfo::Comment};

int slotOf(MusicInfo::Type type) {
    for (size_t i = 0; i < std::size(kFields); ++i) {
        if (kFields[i] == type) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

}  // namespace

std::string_view SearchIndex::Fields::operator[](MusicInfo::Type type) const {
    const int slot = slotOf(type);
    if (slot < 0) {
        return {};
    }
    const uint32_t begin = slot == 0 ? 0 : ends_[slot - 1];
    return text_.substr(begin, ends_[slot] - begin);
}

void SearchIndex::insert(MusicItem& item) {
    entries_.push_back(Entry{&item, 0, 0, {}});
    store(entries_.back(), item);
    item.setSearchSlot(static_cast<uint32_t>(entries_.size() - 1));
}

void SearchIndex::update(const MusicItem& item) {
    const uint32_t slot = item.searchSlot();
    if (slot >= entries_.size()) {
        return;
    }
    Entry& entry = entries_[slot];
    staleBytes_ += entry.ends.back();
    store(entry, item);
    if (staleBytes_ > bytes_ / 2) {
        compact();
    }
}

void SearchIndex::erase(MusicItem& item) {
    const uint32_t slot = item.searchSlot();
    if (slot >= entries_.size()) {
        return;
    }
    Entry& entry = entries_[slot];
    staleBytes_ += entry.ends.back();
    entry.item = nullptr;
    item.setSearchSlot(kNoSlot);
    if (++erased_ > entries_.size() / 2) {
        compact();
    }
}

void SearchIndex::clear() {
    chunks_.clear();
    entries_.clear();
    bytes_ = 0;
    erased_ = 0;
    staleBytes_ = 0;
}

void SearchIndex::store(Entry& entry, const MusicItem& item) {
    std::array<std::string_view, std::size(kFields)> texts;
    size_t length = 0;
    for (size_t i = 0; i < texts.size(); ++i) {
        texts[i] = item.text(kFields[i]);
        length += texts[i].size();
    }
    std::string& chunk = room(length);
    entry.chunk = static_cast<uint32_t>(chunks_.size() - 1);
    entry.begin = static_cast<uint32_t>(chunk.size());
    for (size_t i = 0; i < texts.size(); ++i) {
        for (const char c : texts[i]) {
            chunk.push_back(lowerAscii(c));
        }
        entry.ends[i] = static_cast<uint32_t>(chunk.size()) - entry.begin;
    }
    bytes_ += length;
}

// The last chunk when `bytes` still fit into it, else a new one.
std::string& SearchIndex::room(size_t bytes) {
    if (chunks_.empty() || chunks_.back().capacity() - chunks_.back().size() < bytes) {
        chunks_.emplace_back().reserve(std::max(kChunkBytes, bytes));
    }
    return chunks_.back();
}

std::string_view SearchIndex::textOf(const Entry& entry) const {
    return std::string_view(chunks_[entry.chunk]).substr(entry.begin, entry.ends.back());
}

SearchIndex::Fields SearchIndex::fields(const Entry& entry) const {
    return Fields(textOf(entry), entry.ends.data());
}

// Drops erased entries and replaced text; the items learn their new slots.
void SearchIndex::compact() {
    std::vector<std::string> chunks = std::move(chunks_);
    std::vector<Entry> entries = std::move(entries_);
    const size_t live = entries.size() - erased_;
    clear();
    entries_.reserve(live);
    for (const Entry& old : entries) {
        if (old.item == nullptr) {
            continue;
        }
        const std::string_view text =
            std::string_view(chunks[old.chunk]).substr(old.begin, old.ends.back());
        std::string& chunk = room(text.size());
        entries_.push_back(Entry{old.item, static_cast<uint32_t>(chunks_.size() - 1),
                                 static_cast<uint32_t>(chunk.size()), old.ends});
        chunk.append(text);
        bytes_ += text.size();
        old.item->setSearchSlot(static_cast<uint32_t>(entries_.size() - 1));
    }
}

}  // namespace mdb
