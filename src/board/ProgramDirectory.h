#pragma once

#include <string>

// The directory of the running executable, symbolic links resolved, as the file system's own
// bytes (whatever their encoding), so the firmware image and the driver library beside the
// program are found even in a directory whose name is not valid UTF-8.
std::string programDirectory();
