#include <cstdio>

#include "platform/process.h"

int main() {
    std::printf("%s %s\n", product_name(), product_version());
    return 0;
}
