// Entry point: the whole program runs inside the start-up sequence.
#include "app/startup.h"

int main(int argc, char** argv) {
    return run_program(argc, argv);
}
