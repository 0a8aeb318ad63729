// Vector 0: routine registration. Makes a procedure routine callable by the host.
#pragma once

struct vec0 {
    // Stores a host-callable entry of routine into *slot; 0 on success.
    int (*vir2g)(void* routine, void** slot, void* session, void* pidb);
};
