#include "kitlink/wireformat.h"
