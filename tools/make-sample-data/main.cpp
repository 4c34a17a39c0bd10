// make-sample-data <folder>: writes the sample game folder there.
#include <cstdio>
#include <exception>
#include <filesystem>

#include "SampleData.h"

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <game folder>\n", argv[0]);
        return 2;
    }
    try {
        sample::WriteSampleFolder(argv[1]);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "make-sample-data: %s\n", e.what());
        return 1;
    }
    return 0;
}
