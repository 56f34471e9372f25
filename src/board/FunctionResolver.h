#pragma once

// Finds a driver-library function by its export name. Never returns null: a function that
// cannot be found ends the program.
class FunctionResolver {
public:
    virtual ~FunctionResolver() = default;
    virtual void* resolve(const char* name) = 0;
};
