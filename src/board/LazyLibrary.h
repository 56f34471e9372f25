#pragma once

#include <string>

#include "board/Dialogs.h"
#include "board/FunctionResolver.h"

// A driver library that is loaded at the first call of any of its functions and stays loaded
// until the program ends. A library or function that cannot be bound ends the program with a
// critical message that names it and the loader's own explanation.
class LazyLibrary : public FunctionResolver {
public:
    // file: the library's full path.
    LazyLibrary(std::string file, Dialogs& dialogs);

    void* resolve(const char* name) override;

private:
    [[noreturn]] void fail(const std::string& what, const char* loaderText);

    std::string file_;
    Dialogs& dialogs_;
    void* handle_ = nullptr;
};
