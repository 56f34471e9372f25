#include "GermanLocale.h"

#include <unistd.h>

#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <locale>
#include <string>

// One directory per process: tests running side by side must not see a half-made locale.
static std::filesystem::path compileGermanLocale() {
    const auto dir =
        std::filesystem::temp_directory_path() / ("xt4830-locales-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    const std::string command =
        "localedef -i de_DE -f UTF-8 '" + (dir / "de_DE.UTF-8").string() + "' >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0) return dir;
    setenv("LOCPATH", dir.c_str(), 1);
    return dir;
}

GermanLocale::GermanLocale() {
    if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr) {
        compiled_ = compileGermanLocale();
        std::setlocale(LC_ALL, "de_DE.UTF-8");
    }
    active_ = std::string(std::localeconv()->decimal_point) == ",";
    if (active_) std::locale::global(std::locale("de_DE.UTF-8"));  // streams' default too
}

GermanLocale::~GermanLocale() {
    std::locale::global(std::locale::classic());
    std::setlocale(LC_ALL, "C");
    unsetenv("LOCPATH");
    if (!compiled_.empty()) std::filesystem::remove_all(compiled_);
}
