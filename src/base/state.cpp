// Module-wide state of the bottom layer: the host's services and the rows.
#include "base/base.h"

Interface_State interface_state;
