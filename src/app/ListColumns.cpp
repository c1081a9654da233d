#include "app/ListColumns.h"

#include "app/FormatScanner.h"

namespace app {

std::optional<ListColumns> ListColumns::parse(std::string_view text) {
    ListColumns result;
    FormatScanner scan(text);
    while (!scan.atEnd()) {
        ColumnPosition pair;
        if (!scan.literal('(') || !scan.decimal(pair.column) || !scan.literal(',') ||
            !scan.decimal(pair.width) || !scan.literal(')')) {
            return std::nullopt;
        }
        result.columns.push_back(pair);
    }
    return result;
}

std::string ListColumns::format() const {
    std::string text;
    for (const ColumnPosition& pair : columns) {
        text += "(" + std::to_string(pair.column) + "," + std::to_string(pair.width) + ")";
    }
    return text;
}

ListColumns ListColumns::forLibrary(std::string_view stored, std::string_view fallback) {
    ListColumns result = parse(fallback).value_or(ListColumns{});
    result.columns.resize(kLibraryColumns);
    const auto read = parse(stored);
    if (read) {
        for (size_t i = 0; i < kLibraryColumns && i < read->columns.size(); ++i) {
            result.columns[i] = read->columns[i];
        }
    }
    return result;
}

ListColumns ListColumns::forRecording(std::string_view stored, std::string_view fallback) {
    auto read = parse(stored);
    if (!read || read->columns.size() < kRecordColumns) {
        read = parse(fallback).value_or(ListColumns{});
    }
    read->columns.resize(kRecordColumns);
    return *read;
}

}  // namespace app
