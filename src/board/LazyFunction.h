#pragma once

#include "board/FunctionResolver.h"

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
