#include "console/benchrecord.h"

BenchRecord &bench()
{
    static BenchRecord record;
    return record;
}
