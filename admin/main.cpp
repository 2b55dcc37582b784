// quorvel-admin: the command line handed to runAdmin.
#include "admin/admin.h"

#include <iostream>

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    return quorvel::admin::runAdmin(args, std::cout, std::cerr);
}
