#include <iostream>
#include <string>
#include <vector>

#include "tools/batch_session.h"

int main(int argc, char** argv) {
    std::vector<std::string> arguments(argv + 1, argv + argc);
    return wendral::batch::RunBatch(arguments, std::cout, std::cerr);
}
