// Module-wide state of the top layer: which shade tables have the mapped layout.
#include "module/module.h"

Module_State module_state;
