// Exported routines of this subsystem: host arrays in, core views, results
// written back. No arithmetic here.

#include "zervola.h"
