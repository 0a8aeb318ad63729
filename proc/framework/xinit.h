// Module start-up of a step and its parse block.
#pragma once

// Module start-up of a step: the module parse block, printing, the DEBUG option.
void xinit();
// The module parse block of the current step.
struct modparse* curparse();
