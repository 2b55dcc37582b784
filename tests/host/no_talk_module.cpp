// A loadable library without the `talk` export, for the loader's refusal.
#include "quorvel/host_abi.h"

extern "C" QUORVEL_EXPORT int quorvelSomethingElse() {
    return 0;
}
