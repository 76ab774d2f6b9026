/* The check of the plain-C harnesses: a failed check is reported with its place and counted, the harness carries
 * on to the end, and checksDone() turns the count into the exit status. */
#ifndef KESTRIX_TESTS_SUPPORT_C_CHECK_H
#define KESTRIX_TESTS_SUPPORT_C_CHECK_H

#include <stdio.h>

static int failures = 0;

#define CHECK(cond)                                                                  \
    do {                                                                             \
        if (!(cond)) {                                                               \
            fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #cond); \
            ++failures;                                                              \
        }                                                                            \
    } while (0)

static int checksDone(const char* harness) {
    if (failures != 0) {
        fprintf(stderr, "%d check(s) failed\n", failures);
        return 1;
    }
    printf("%s: all checks passed\n", harness);
    return 0;
}

#endif
