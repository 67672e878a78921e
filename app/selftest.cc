#include <cstdio>

#include "app/commands.h"

int ovcore_selftest() {
    printf("OK\n");
    return 0;
}
