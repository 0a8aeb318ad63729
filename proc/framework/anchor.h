// Module globals, written once by mcn_main: the host instance, the handle given with
// it, and the kernel instance.
#pragma once
#include "host/instance.h"

extern hostinst* v_global_gcb_anchor;
extern void* v_global_pidb_anchor;
extern void* Exported_QXHandle;
