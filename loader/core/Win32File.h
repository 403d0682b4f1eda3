// A binary input file with typed reads in either byte order (the shapefile
// reader's files). Reads are buffered; failures are statuses of the
// EWlxReturnCode family.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "common/Status.h"

enum ESeekOrigin : int {
    kSeekBegin = SEEK_SET,
    kSeekCurrent = SEEK_CUR,
    kSeekEnd = SEEK_END,
};

class CWin32File {
public:
    explicit CWin32File(std::string name);
    virtual ~CWin32File();
    CWin32File(const CWin32File&) = delete;
    CWin32File& operator=(const CWin32File&) = delete;

    // kWlxFileNotFound when there is no such file, kWlxOpenFailed otherwise;
    // the file is named as the first message argument.
    Status OpenRead();

    // kWlxEndOfData when the file ends before n bytes, kWlxReadError when the
    // read fails.
    Status Read(void* buffer, std::size_t n);
    Status ReadByte(std::uint8_t& value);
    // The typed reads give kWlxReadError for a short read too.
    Status ReadUInt16(std::uint16_t& value, bool bigEndian);
    Status ReadUInt32(std::uint32_t& value, bool bigEndian);
    Status ReadFloat64(double& value);  // little-endian IEEE

    Status Seek(std::int64_t offset, ESeekOrigin origin);
    Status Tell(std::int64_t& offset);
    Status GetSize(std::int64_t& size);

    bool Exists() const;
    const std::string& GetName() const { return name_; }

private:
    // Reads from the stream at position_, moving the stream there first.
    std::size_t ReadStream(std::uint8_t* out, std::size_t n);
    // Refills the buffer from position_ on.
    Status Fill();

    std::string name_;
    std::FILE* stream_ = nullptr;
    // Reads come through a buffer of this class's own, so that a seek within
    // the bytes read already (the shapefile reader seeks to every record and
    // every index entry) costs no call of the system.
    std::vector<std::uint8_t> buffer_;
    std::int64_t bufferStart_ = 0;  // file offset of buffer_[0]
    std::size_t bufferFill_ = 0;    // bytes of buffer_ read from the file
    std::int64_t position_ = 0;     // where the next read starts
    std::int64_t streamPosition_ = 0;
};
