// Until the loader's string table lands: the two message services the data
// model needs.
#pragma once

#include <string>

std::string LoadMessage(int id);
void SetStatusArgs(const char* first, const char* second);
