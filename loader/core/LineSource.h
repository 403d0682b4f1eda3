// The lines of a text input. The parsers of the BNA, CSV and MIF/MID formats
// read through this interface, so that tests and fuzzers can feed them from
// memory and the readers from files.
#pragma once

#include <cstdint>
#include <string>
#include <utility>

#include "common/Status.h"
#include "loader/core/TextFile.h"

class CLineSource {
public:
    virtual ~CLineSource() = default;

    // The next line, blank or not, without its line end ("\n" or "\r\n").
    // kWlxEndOfData when the input is exhausted.
    virtual Status ReadAnyLine(std::string& line) = 0;
    // The offset of the next line, for a later Seek.
    virtual Status Tell(std::int64_t& offset) = 0;
    virtual Status Seek(std::int64_t offset) = 0;

    // The next line that holds a non-blank character: blank lines are no
    // data in any of the formats.
    Status ReadLine(std::string& line);

    // The number of the last line read (1 for the first), for messages.
    virtual std::int64_t LineNumber() const = 0;
};

class CMemoryLineSource : public CLineSource {
public:
    explicit CMemoryLineSource(std::string text) : text_(std::move(text)) {}

    Status ReadAnyLine(std::string& line) override;
    Status Tell(std::int64_t& offset) override;
    Status Seek(std::int64_t offset) override;
    std::int64_t LineNumber() const override { return lines_; }

private:
    std::string text_;
    std::size_t pos_ = 0;
    std::int64_t lines_ = 0;
};

// The lines of an open text file, which the source does not own.
class CTextFileLineSource : public CLineSource {
public:
    explicit CTextFileLineSource(CTextFile& file) : file_(file) {}

    Status ReadAnyLine(std::string& line) override;
    Status Tell(std::int64_t& offset) override { return file_.Tell(offset); }
    Status Seek(std::int64_t offset) override { return file_.Seek(offset); }
    std::int64_t LineNumber() const override { return file_.LineNumber(); }

private:
    CTextFile& file_;
};
