#include "GermanLocale.h"

#include <unistd.h>

#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <string>

static bool compileGermanLocale() {
    // One directory per process: tests running side by side must not see a half-made locale.
    const auto dir =
        std::filesystem::temp_directory_path() / ("xt4830-locales-" + std::to_string(getpid()));
    if (!std::filesystem::exists(dir / "de_DE.UTF-8")) {
        std::filesystem::create_directories(dir);
        const std::string command =
            "localedef -i de_DE -f UTF-8 '" + (dir / "de_DE.UTF-8").string() + "' >/dev/null 2>&1";
        if (std::system(command.c_str()) != 0) return false;
    }
    setenv("LOCPATH", dir.c_str(), 1);
    return true;
}

GermanLocale::GermanLocale() {
    if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr && compileGermanLocale()) {
        std::setlocale(LC_ALL, "de_DE.UTF-8");
    }
    active_ = std::string(std::localeconv()->decimal_point) == ",";
}
