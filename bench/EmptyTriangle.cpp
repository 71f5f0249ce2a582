#include "bench/EmptyTriangle.h"

int EmptyTriangle(const void*, const void*, const void*)
{
    return 1;
}
