#include "CallTrace.h"

#include <chrono>
#include <cstdarg>

CallTrace::~CallTrace() {
    open(nullptr);
}

void CallTrace::open(const char* path) {
    if (file_ != nullptr) std::fclose(file_);
    file_ = path != nullptr && *path != '\0' ? std::fopen(path, "w") : nullptr;
}

void CallTrace::line(const char* format, ...) {
    if (file_ == nullptr) return;
    if (timestamps_) {
        const auto now = std::chrono::steady_clock::now().time_since_epoch();
        std::fprintf(file_, "[%.6f] ", std::chrono::duration<double>(now).count());
    }
    va_list args;
    va_start(args, format);
    std::vfprintf(file_, format, args);
    va_end(args);
    std::fputc('\n', file_);
    std::fflush(file_);
}

std::string hexBytes(const unsigned char* bytes, int count) {
    static const char digits[] = "0123456789ABCDEF";
    std::string text;
    for (int i = 0; i < count; ++i) {
        if (i > 0) text += ' ';
        text += digits[bytes[i] >> 4];
        text += digits[bytes[i] & 0xF];
    }
    return text;
}
