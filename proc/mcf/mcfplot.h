// The device-graphics pages of MCFPLOT: the axis ranges over every group drawn, one group's
// curve with its limits and end-of-observation marks, the two axes and the grid. The
// statement's page loop (vyxcfdev, mcfdraw.h) calls them inside an open page.
#pragma once

struct vyxstate;
struct grpnode;

// Axis ranges, ticks and (CENBIN) the bins of the end marks; 0, or 1 after a message.
int vyxcfsc(vyxstate* s);
// One group's curve; 0, 1 out of memory (after xmemmsg), 1020 when its file ends early.
int vyxcfdw(vyxstate* s, grpnode* g);
// The markers of group g's points and the segments of its curve and limits, where the
// curve's drawing puts them (devgraph.h: panelink); nothing is drawn.
struct PanelInk;
void mcfink(vyxstate* s, const grpnode* g, PanelInk* ink);
// The axes of the panel with their ticks and labels, and the counts of the CENBIN bins.
void vyxcfax(vyxstate* s);
// The reference grid of the panel.
void vyxcfgd(vyxstate* s);
