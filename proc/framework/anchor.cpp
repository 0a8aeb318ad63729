// The module's globals that mcn_main writes once: the host instance, its handle and the
// kernel instance (anchor.h).
#include "proc/framework/anchor.h"

hostinst* v_global_gcb_anchor = nullptr;
void* v_global_pidb_anchor = nullptr;
void* Exported_QXHandle = nullptr;
