#pragma once
// The scan locations used when "\scanpaths" holds none: the user's and the common Start
// Menu, then the user's and the common desktop.
#include "StringListKey.h"

namespace kest {

// The folders that resolve, in order; false when the shell allocator cannot be obtained.
bool buildDefaultScanLocations(StringList& locations);

enum class ScanLocationsResult { Read, DefaultsInstalled, NoShellAllocator };

// Reads "\scanpaths" into locations (which the caller passes empty); when it yields no
// item, builds the default list and writes it to "\scanpaths" without deleting it first.
ScanLocationsResult readScanLocationsInstallingDefaults(StringList& locations);

}  // namespace kest
