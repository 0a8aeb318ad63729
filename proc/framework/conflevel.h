// The confidence level of a title ("95% Confidence Limits") as text: the level the user gave.
#pragma once

namespace vx {

struct conftext {
    char text[40];
    int len;
};

// 100 (1 - alpha) as text, alpha being 1 - CONFIDENCE: the digits an ordinary level has always
// shown (those of confpercent, at most 15 significant), unless they read back as another
// level (CONFIDENCE=0.9999999999999999 showed "100"); then the fewest digits that give back
// the level itself ("99.99999999999999").
conftext conflevel(double alpha);

// A CONFIDENCE so small (below about 1.1e-16) that 1 - CONFIDENCE is 1 in double precision:
// the level is 0, its limits equal their estimates and titles say "0%". Logs the note that
// says so (510/2223) and returns true; false for every other level.
bool zerolevelnote(double conf);

}  // namespace vx
