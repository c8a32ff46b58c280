// Entry point: hands the command line to the start-up sequence.
#include <stdio.h>

int main(int argc, char** argv) {
    (void)argc;
    (void)argv;
    fprintf(stderr, "Rutwise: start-up is not built yet\n");
    return 0;
}
