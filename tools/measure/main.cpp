// measure_hamster [-n BOARDS] [-s SEED] [WxH ...] : prints, for each candidate size of the
// right-facing hamster picture, the share of generated boards whose food can be reached.
#include "game/Board.h"
#include "tools/measure/HamsterMeasure.h"

#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    int32_t boards = 20000;
    uint64_t seed = 2008;
    std::vector<THamsterCandidate> sizes;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if ((arg == "-n" || arg == "-s") && i + 1 < argc) {
            const long long v = std::atoll(argv[++i]);
            if (v <= 0) {
                std::cerr << "measure_hamster: " << arg << " needs a positive number\n";
                return 2;
            }
            if (arg == "-n")
                boards = static_cast<int32_t>(v);
            else
                seed = static_cast<uint64_t>(v);
            continue;
        }
        THamsterCandidate c;
        if (!ParseCandidate(arg, c)) {
            std::cerr << "usage: measure_hamster [-n BOARDS] [-s SEED] [WxH ...]\n";
            return 2;
        }
        sizes.push_back(c);
    }
    if (sizes.empty()) {
        for (const char* s : {"24x20", "32x22", "36x24", "40x26", "44x28", "48x28", "50x28", "52x28", "54x28",
                              "56x28", "48x32", "56x32", "60x32", "64x36"}) {
            THamsterCandidate c;
            ParseCandidate(s, c);
            sizes.push_back(c);
        }
    }
    std::vector<THamsterShare> rows;
    try {
        for (const THamsterCandidate& c : sizes) rows.push_back(MeasureHamster(c, boards, seed));
    } catch (const EBoardError& e) {
        std::cerr << "measure_hamster: " << e.what() << "\n";
        return 1;
    }
    std::cout << FormatShareTable(rows);
    return 0;
}
