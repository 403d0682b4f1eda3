#include "loader/shapefile/DbfTable.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "common/ByteOrder.h"

namespace {

constexpr std::uint8_t kDbaseIII = 3;
constexpr std::uint8_t kDbaseIIIWithMemo = 0x83;
constexpr std::uint8_t kHeaderTerminator = 0x0D;
constexpr std::size_t kDescriptorSize = 32;
constexpr std::size_t kLanguageDriverAt = 29;

std::string_view TrimBlanks(std::string_view s) {
    while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\0')) s.remove_suffix(1);
    return s;
}

}  // namespace

CDbfTable::CDbfTable(std::shared_ptr<CWin32File> file)
    : CAttributeSource("DBFTable"), file_(std::move(file)) {}

Status CDbfTable::ReadHeader() {
    std::uint8_t header[32];
    Status status = file_->Seek(0, kSeekBegin);
    if (status == 0) status = file_->Read(header, sizeof header);
    if (status != 0) return kWlxReadError;
    if (header[0] != kDbaseIII && header[0] != kDbaseIIIWithMemo) return kWlxBadFormat;
    codePage_ = cpgCodePage_ ? cpgCodePage_ : CodePageFromLanguageDriver(header[kLanguageDriverAt]);
    page_ = FindCodePage(codePage_);
    recordCount_ = static_cast<std::int32_t>(
        std::min<std::uint32_t>(byteorder::LoadU32Le(header + 4), INT32_MAX));
    headerLength_ = byteorder::LoadU16Le(header + 8);
    recordLength_ = byteorder::LoadU16Le(header + 10);
    if (headerLength_ < kDescriptorSize + 1 || recordLength_ < 1) return kWlxBadFormat;
    if (file_->GetSize(fileSize_) != 0) return kWlxReadError;
    if (headerLength_ > fileSize_) return kWlxReadError;

    // The header's length gives the number of descriptors; a terminator
    // before that ends the list early.
    const std::size_t fieldCount = (headerLength_ - 1u) / kDescriptorSize - 1u;
    std::vector<std::uint8_t> descriptors(fieldCount * kDescriptorSize);
    if (!descriptors.empty() && file_->Read(descriptors.data(), descriptors.size()) != 0)
        return kWlxReadError;
    std::uint32_t offset = 1;  // behind the deletion flag
    for (std::size_t i = 0; i < fieldCount; ++i) {
        const std::uint8_t* d = &descriptors[i * kDescriptorSize];
        if (d[0] == kHeaderTerminator) break;
        // The name ends at its first NUL; the rest of its 11 bytes is padding.
        const auto* nameBytes = reinterpret_cast<const char*>(d);
        const std::string_view name(nameBytes, strnlen(nameBytes, 11));
        const char type =
            d[11] >= 'a' && d[11] <= 'z' ? static_cast<char>(d[11] - 32) : static_cast<char>(d[11]);
        const std::uint8_t width = d[16];
        const std::uint8_t decimals = type == 'C' ? 0 : d[17];
        const std::int32_t columnType = type == 'C'     ? kColumnText
                                        : decimals != 0 ? kColumnDouble
                                                        : kColumnInt;
        if (offset + width > recordLength_) return kWlxBadFormat;
        GetSchema().AddColumn(Text(name), width, decimals, columnType);
        fieldOffsets_.push_back(offset);
        fieldWidths_.push_back(width);
        offset += width;
    }
    Rewind();
    return 0;
}

std::string CDbfTable::Text(std::string_view bytes) const {
    const std::string_view trimmed = TrimBlanks(bytes);
    return page_ ? ConvertToUtf8(trimmed, *page_) : std::string(trimmed);
}

Status CDbfTable::LoadRecord() {
    if (recordReadAt_ == recordStart_) return 0;
    const std::int64_t index = (recordStart_ - headerLength_) / recordLength_;
    // A table shorter than the shape set leaves the shapes beyond it without data.
    if (index >= recordCount_ || recordStart_ + recordLength_ > fileSize_)
        return kLoaderNoAttributeData;
    record_.resize(recordLength_);
    Status status = file_->Seek(recordStart_, kSeekBegin);
    if (status == 0) status = file_->Read(record_.data(), record_.size());
    if (status != 0) {
        recordReadAt_ = -1;
        return kWlxReadError;
    }
    recordReadAt_ = recordStart_;
    return 0;
}

Status CDbfTable::FillRow(const char*, CTableRow& row) {
    if (const Status status = LoadRecord()) return status;
    for (std::size_t i = 0; i < fieldOffsets_.size(); ++i) {
        const std::string_view field(record_.data() + fieldOffsets_[i], fieldWidths_[i]);
        AppendTextValue(row, Text(field));
    }
    return 0;
}
