// A line-oriented text file: the text readers read it, the table export
// writes it. Failures are statuses of the EWlxReturnCode family; a file that
// cannot be opened is named as the first message argument.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "common/Status.h"

class CTextFile {
public:
    explicit CTextFile(std::string name);
    virtual ~CTextFile();
    CTextFile(const CTextFile&) = delete;
    CTextFile& operator=(const CTextFile&) = delete;

    // kWlxFileNotFound when there is no such file, kWlxOpenFailed otherwise.
    Status OpenRead();
    // Creates or empties the file, or appends to it.
    Status OpenWrite(bool append);
    // Flushes and closes; kWlxWriteError when written data could not be stored.
    Status Close();

    // The next line holding something other than white space, line end
    // included, however long it is. kWlxEndOfData at the end of the file.
    Status ReadLine(std::string& line);
    // The next line, blank or not, line end included: for files whose blank
    // lines are data. kWlxEndOfData at the end of the file.
    Status ReadAnyLine(std::string& line);
    // Reads past count lines, blank ones included.
    Status SkipLines(int count);
    Status Write(std::string_view text);
    // Offsets count bytes from the start of the file.
    Status Seek(std::int64_t offset);
    Status Tell(std::int64_t& offset);
    // The number of the last line read (1 for the first), for messages. A
    // seek keeps it right when it goes back to the start or to the offset
    // last told.
    std::int64_t LineNumber() const { return lines_; }

    bool Exists() const;
    const std::string& GetName() const { return name_; }

private:
    // Appends the rest of the current line to the text; false at the end of
    // the file or on a read error, with nothing appended.
    bool ReadRawLine(std::string& line);
    bool Fill();

    std::string name_;
    std::FILE* stream_ = nullptr;
    std::vector<char> buffer_;
    std::size_t bufferPos_ = 0;
    std::size_t bufferEnd_ = 0;
    std::int64_t lines_ = 0;
    std::int64_t toldOffset_ = -1;
    std::int64_t toldLines_ = 0;
};
