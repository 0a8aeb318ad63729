// The parser's callback at each statement: sets the effect parser's name-length limit
// for MODEL and LOGSCALE statements.
#pragma once

int check();
