#include "tavctl.h"

int main(int argc, char** argv) {
    return tav::cli::RunTavctl(argc, argv);
}
