#pragma once
// Resource identifiers of the floating bar.

#define IDI_KESTFLOAT 1
