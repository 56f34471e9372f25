#pragma once

#include <string_view>

// True when the file is a readable Intel HEX image the board's loader would take: every line
// a well-formed record with a valid checksum, ending with an end-of-file record.
bool isLoadableHexFile(const char* path);

// The same test on a file's text.
bool isLoadableHexText(std::string_view text);
