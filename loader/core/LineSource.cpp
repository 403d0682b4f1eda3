#include "loader/core/LineSource.h"

#include <algorithm>

#include "loader/core/TextScanner.h"

Status CLineSource::ReadLine(std::string& line) {
    for (;;) {
        const Status status = ReadAnyLine(line);
        if (status != 0 || !IsBlankText(line)) return status;
    }
}

Status CMemoryLineSource::ReadAnyLine(std::string& line) {
    if (pos_ >= text_.size()) {
        line.clear();
        return kWlxEndOfData;
    }
    std::size_t end = text_.find('\n', pos_);
    const std::size_t next = end == std::string::npos ? text_.size() : end + 1;
    if (end == std::string::npos) end = text_.size();
    if (end > pos_ && text_[end - 1] == '\r') --end;
    line.assign(text_, pos_, end - pos_);
    pos_ = next;
    ++lines_;
    return 0;
}

Status CMemoryLineSource::Tell(std::int64_t& offset) {
    offset = static_cast<std::int64_t>(pos_);
    return 0;
}

Status CMemoryLineSource::Seek(std::int64_t offset) {
    if (offset < 0 || static_cast<std::uint64_t>(offset) > text_.size()) return kWlxInvalidOffset;
    pos_ = static_cast<std::size_t>(offset);
    lines_ = std::count(text_.begin(), text_.begin() + static_cast<std::ptrdiff_t>(pos_), '\n');
    return 0;
}

Status CTextFileLineSource::ReadAnyLine(std::string& line) {
    const Status status = file_.ReadAnyLine(line);
    if (!line.empty() && line.back() == '\n') line.pop_back();
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return status;
}
