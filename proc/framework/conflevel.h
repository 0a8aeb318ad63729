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

}  // namespace vx
