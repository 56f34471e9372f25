#include "board/LazyLibrary.h"

#include <dlfcn.h>

#include <utility>

LazyLibrary::LazyLibrary(std::string file, Dialogs& dialogs)
    : file_(std::move(file)), dialogs_(dialogs) {}

void* LazyLibrary::find(const char* name) {
    if (handle_ == nullptr) {
        handle_ = dlopen(file_.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (handle_ == nullptr) {
            fail("The board's driver library " + file_ + " cannot be loaded.", dlerror());
        }
    }
    dlerror();  // clear any earlier message, so the one after dlsym is about this lookup
    return dlsym(handle_, name);
}

void* LazyLibrary::peek(const char* name) {
    if (handle_ == nullptr) handle_ = dlopen(file_.c_str(), RTLD_NOW | RTLD_LOCAL);
    return handle_ != nullptr ? dlsym(handle_, name) : nullptr;
}

void* LazyLibrary::resolve(const char* name) {
    void* symbol = find(name);
    if (symbol == nullptr) {
        fail("The function " + std::string(name) +
                 " cannot be found in the board's driver library " + file_ + ".",
             dlerror());
    }
    return symbol;
}

void LazyLibrary::fail(const std::string& what, const char* loaderText) {
    std::string text = what;
    if (loaderText != nullptr) {
        text += "\n\n";
        text += loaderText;
    }
    dialogs_.show({text, "", MessageIcon::Critical, MessageButtons::Ok});
    dialogs_.endProgram(1);
}
