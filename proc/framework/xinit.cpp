// Module start-up of a step.
#include <cctype>
#include <cstring>

#include "proc/framework/hostsvc.h"
#include "proc/framework/textpad.h"
#include "proc/framework/pools.h"
#include "proc/framework/xinit.h"

modparse* curparse() {
    hostinst* h = v_global_gcb_anchor;
    return h && h->session && h->session->step ? h->session->step->mpb : nullptr;
}

void xinit() {
    hostinst* h = v_global_gcb_anchor;
    auto* mpb = poolget<modparse>(h->pool, 1, poolflag::zeroed_marked);
    if (!mpb) return;
    h->session->step->mpb = mpb;

    xpopen(h->session->printh);
    mpb->outdest = xpoutl();
    mpb->printdest = xpprnl(0);
    mpb->logdest = xplogl(0);
    mpb->msgdest = xpmsgl(0);
    xpselec(0, -2);

    // DEBUG=SYN asks for the syntax trace, DEBUG=SEM for the semantic trace.
    char small[200];
    int len = xoptcgt("DEBUG", small, sizeof small);
    if (len <= 0) return;
    char* text = small;
    char* copy = nullptr;
    if (len >= static_cast<int>(sizeof small)) {
        copy = static_cast<char*>(poolbytes(h->pool, len + 1, poolflag::zeroed_marked));
        if (!copy) return;
        xoptcgt("DEBUG", copy, len + 1);
        text = copy;
    }
    bool blank = true;
    for (int i = 0; i < len; ++i) blank = blank && text[i] == ' ';
    wztxxlt(2, text, text, len);   // upper case
    if (!blank) {
        mpb->syntrace = std::strstr(text, "SYN") ? 1 : 0;
        mpb->semtrace = std::strstr(text, "SEM") ? 1 : 0;
    }
    if (copy) poolput(h->pool, copy);
}
