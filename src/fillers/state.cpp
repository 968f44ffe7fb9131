// Module-wide state of the fillers: the Edge_Line_Table, rewritten by every
// face's edge walk. The span loops' running values are their own locals.
#include "fillers/edge_walk.h"

Fillers_State fillers_state;
