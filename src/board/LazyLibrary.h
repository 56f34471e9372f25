#pragma once

#include <string>

#include "board/Dialogs.h"

// Binding a driver library at its first call: the library is loaded when any of its functions
// is first called, each function is looked up at its own first call, and both stay bound
// until the program ends.

// Finds a driver-library function by its export name. Never returns null: a function that
// cannot be found ends the program.
class FunctionResolver {
public:
    virtual ~FunctionResolver() = default;
    virtual void* resolve(const char* name) = 0;
};

// One driver-library function, looked up at its own first call and kept bound from then on.
template <typename Fn>
class LazyFunction {
public:
    LazyFunction(FunctionResolver& resolver, const char* name) : resolver_(resolver), name_(name) {}

    template <typename... Args>
    auto operator()(Args... args) {
        if (fn_ == nullptr) {
            fn_ = reinterpret_cast<Fn*>(resolver_.resolve(name_));
        }
        return fn_(args...);
    }

private:
    FunctionResolver& resolver_;
    const char* name_;
    Fn* fn_ = nullptr;
};

// A driver library loaded by its full path with dlopen. A library or function that cannot be
// bound ends the program with a critical message that names it and the loader's own
// explanation.
class LazyLibrary : public FunctionResolver {
public:
    // file: the library's full path.
    LazyLibrary(std::string file, Dialogs& dialogs);

    void* resolve(const char* name) override;
    // The function, or null when the library does not export it (a library that cannot be
    // loaded still ends the program).
    void* find(const char* name);
    // The same, but null, with nothing shown, when the library cannot be loaded either; the
    // next call that needs it tells why.
    void* peek(const char* name);
    const std::string& file() const { return file_; }

private:
    [[noreturn]] void fail(const std::string& what, const char* loaderText);

    std::string file_;
    Dialogs& dialogs_;
    void* handle_ = nullptr;
};
