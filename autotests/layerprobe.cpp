// One include, named by the target that compiles it: a layer's library reaching for
// a header of its own layer or one below compiles, one reaching upward does not.
#include PROBE_HEADER
