// Built against the line layer only: the dialog sits above it, so this
// include must not be found.
#include "dialog/dialog.h"

int layer_probe_upward() { return 0; }
