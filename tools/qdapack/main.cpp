// qdapack [-s|--stored] OUT.qda FILE... : packs files into a picture archive.
#include "tools/qdapack/QDAPack.h"

#include <iostream>

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    return QDAPackMain(args, std::cout, std::cerr);
}
