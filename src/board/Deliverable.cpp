#include "board/Deliverable.h"

std::string versionText(const Deliverable& d) {
    return std::to_string(d.major) + "." + std::to_string(d.minor) + "." +
           std::to_string(d.revision);
}

std::string mainWindowTitle(const Deliverable& d) {
    return "XT4830 Evaluation Software v" + versionText(d);
}
