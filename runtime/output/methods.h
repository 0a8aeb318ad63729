// The method routines of the output objects, registered in their class records.
#pragma once
#include "host/hostdefs.h"
#include "host/outobj.h"

namespace rt::out {

#define VX_METHOD(name) int32_t name(obobject* obj, void* entryarg, void* recarg, int n, wobitem* items)

// environment
VX_METHOD(env_create);
// manager
VX_METHOD(mgr_create);
VX_METHOD(mgr_bind);
VX_METHOD(mgr_publish);
VX_METHOD(mgr_matrix);
VX_METHOD(mgr_group);
VX_METHOD(mgr_note);
VX_METHOD(mgr_query);
VX_METHOD(mgr_graph);
VX_METHOD(mgr_make);
VX_METHOD(mgr_deststart);
VX_METHOD(mgr_destpub);
VX_METHOD(mgr_destfree);
// tables (data objects and information lists)
VX_METHOD(tab_endrows);
VX_METHOD(data_addcol);
VX_METHOD(data_titles);
VX_METHOD(data_enddef);
VX_METHOD(data_addrow);
VX_METHOD(data_addrows);
VX_METHOD(info_line);
// collections
VX_METHOD(assoc_add);
VX_METHOD(assoc_get);
VX_METHOD(list_add);
VX_METHOD(list_get);
VX_METHOD(list_count);

#undef VX_METHOD

// Direct interface routines (pairs 4/5, 6/7 and 10/11) of each class.
int32_t direct_manager(obobject* obj, void* arg, int op, int n, wobitem* items);
int32_t direct_data(obobject* obj, void* arg, int op, int n, wobitem* items);
int32_t direct_info(obobject* obj, void* arg, int op, int n, wobitem* items);
int32_t direct_group(obobject* obj, void* arg, int op, int n, wobitem* items);
int32_t direct_plain(obobject* obj, void* arg, int op, int n, wobitem* items);

// Publishes an information list (at its end of entries, or its release).
void publishinfo(struct InfoList& il);

}  // namespace rt::out
