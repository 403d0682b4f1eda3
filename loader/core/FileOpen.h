// Where the loader's file classes meet the file system. A failed open names
// the file in its status's message.
#pragma once

#include <cstdio>
#include <string>

#include "common/Status.h"

bool FileExists(const std::string& name);

// Opens an existing file to read, in binary: kWlxFileNotFound when there is
// none; kWlxOpenFailed for no name, a folder, or a refused open.
Status OpenFileToRead(const std::string& name, std::FILE** stream);

// Opens a file with the stdio `mode` to write: kWlxOpenFailed for no name or
// a refused open.
Status OpenFileToWrite(const std::string& name, const char* mode, std::FILE** stream);
