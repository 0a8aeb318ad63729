// The main routine of the procedure.
#pragma once

// Runs one step; its result is the value of the host's exit service.
int zorduvex();
