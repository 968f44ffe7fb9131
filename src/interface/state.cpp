// Module-wide state of the interface: the host's services and the rows.
#include "interface/interface.h"

Interface_State interface_state;
