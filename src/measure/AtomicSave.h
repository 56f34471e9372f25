#pragma once

#include <optional>
#include <string>
#include <string_view>

// Saving a file so that nothing is lost: the bytes go to a new file beside the old one, are
// flushed to the disk, and only then take the old one's name, so the old file stays whole until
// the new one is complete, and a failure part way (a full disk) leaves it as it was. A name that
// is no regular file (a FIFO, a device, a folder) is refused at once, never opened: a FIFO
// without a reader would hold the window forever.

// Writes bytes to path whole or not at all; nothing, or why it failed, in words for a message
// ("there is no space left on the disk").
std::optional<std::string> saveWhole(const std::string& path, std::string_view bytes);

// What an errno of a failed save means for the user.
std::string saveFailureReason(int error);
