// The effect parser's record: its name-length limit for MODEL and LOGSCALE effects.
#pragma once

// Makes a fresh effect-parse record with the limit and flag, and hands it and the host's
// effect-parser entry to the module parse block.
void zefprsi(int limit, int flag);
