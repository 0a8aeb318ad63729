// Label strips and graphics segments: the segment (page) a plot draws into, the boxed key
// strip above or beside a panel, and the strips of the class variables' labels.
#pragma once

struct vyxstate;

// Opens and selects the segment of a new page; words are the graphics-output words.
void* vyxsgmt(vyxstate* s, void* words[2]);
void vyxptlb(vyxstate* s, const char key[16]);
void vyxpslb(vyxstate* s, const char key[16]);
void vyxpclb(vyxstate* s);
