// The network file harness, built against the MLP configuration: the same
// checks, with the network type MLP in place of FuNN.
#include "networkfile_fuzz.cpp"  // NOLINT(build/include)
