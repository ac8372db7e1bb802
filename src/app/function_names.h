#pragma once
// The loader functions by the names the command line and the load history
// give them.
#include <span>
#include <string_view>

#include "catalogue/loader_function.h"

struct BatchFunctionName {
    const char* name;
    LoaderFunction function;
};
// Every named function, in the setup page's order.
std::span<const BatchFunctionName> batch_function_names();
// Empty for a function without a name (the terrain data phase is "terrain").
std::string_view batch_function_name(LoaderFunction function);
