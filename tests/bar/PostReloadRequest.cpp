// A second process that asks the running bands to reload, with the settings program's own code.
#include "BandNotification.h"

int main() { return kest::NotifyRunningBand() ? 0 : 1; }
