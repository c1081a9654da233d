#include "mdb/Csv.h"

#include <charconv>

namespace mdb {

namespace {

char withoutLineBreak(char c) {
    return (c == '\n' || c == '\r') ? ' ' : c;
}

}  // namespace

void appendCsvText(std::string& line, std::string_view text) {
    const bool quote =
        text.find(',') != std::string_view::npos || (!text.empty() && text.front() == '"');
    if (!quote) {
        for (const char c : text) {
            line += withoutLineBreak(c);
        }
        return;
    }
    line += '"';
    for (const char c : text) {
        if (c == '"') {
            line += '"';
        }
        line += withoutLineBreak(c);
    }
    line += '"';
}

void appendCsvNumber(std::string& line, uint32_t value) {
    char buffer[16];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    line.append(buffer, result.ptr);
}

CsvFields::CsvFields(std::string_view line) : line_(line) {
    line_ += ',';
}

std::optional<std::string> CsvFields::text() {
    if (pos_ >= line_.size()) {
        return std::nullopt;
    }
    if (line_[pos_] != '"') {
        const size_t comma = line_.find(',', pos_);
        std::string field = line_.substr(pos_, comma - pos_);
        pos_ = comma + 1;
        return field;
    }
    std::string field;
    for (size_t i = pos_ + 1; i < line_.size(); ++i) {
        if (line_[i] != '"') {
            field += line_[i];
        } else if (i + 1 < line_.size() && line_[i + 1] == '"') {
            field += '"';
            ++i;
        } else if (i + 1 < line_.size() && line_[i + 1] == ',') {
            pos_ = i + 2;
            return field;
        } else {
            break;
        }
    }
    pos_ = line_.size();
    return std::nullopt;
}

std::optional<uint32_t> CsvFields::number() {
    const auto field = text();
    if (!field || field->empty() || field->find_first_not_of("0123456789") != std::string::npos) {
        pos_ = line_.size();
        return std::nullopt;
    }
    uint32_t value = 0;
    const auto result = std::from_chars(field->data(), field->data() + field->size(), value);
    if (result.ec != std::errc()) {
        pos_ = line_.size();
        return std::nullopt;
    }
    return value;
}

}  // namespace mdb
