// rcwatch PKG: watches the replication of a package's volume group and
// notifies on changes.  See rcwatch/monitor.h.

#include "rcwatch/monitor.h"

int main(int argc, char** argv) { return runMonitor(argc, argv); }
