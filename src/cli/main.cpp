#include "cli/Cli.h"

int main(int argc, char **argv) {
    return zembra::cli::run(argc, argv);
}
