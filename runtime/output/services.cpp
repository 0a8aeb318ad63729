// Vector 320: the output environment and the output texts.
#include <cstring>
#include "runtime/datasets/library.h"
#include "runtime/output/output.h"
#include "runtime/output/program.h"
#include "runtime/supervisor/messages.h"

namespace rt::out {

namespace {

// The program the services below work on: the current one, begun for the current session
// when none is (a test may drive the procedure without the step runner).
Program* entryprogram() {
    if (!program()) beginprogram(rt::current());
    return program();
}

int xobinit(obobject** env, int) {
    Program* P = entryprogram();
    if (!P || !env) return OBR_BADOBJECT;
    *env = P->add(P->envs, ObjKind::Env, const_cast<obclass*>(&classes().env));
    return 0;
}

txthandle rdxtxt(const char* text, int length) {
    Program* P = entryprogram();
    if (!P) return nullptr;
    size_t n = !text ? 0 : length < 0 ? std::strlen(text) : static_cast<size_t>(length);
    return P->texts.make(std::string(text ? text : "", n));
}

txthandle rdxtxts(const char* format, int length, int nargs, const msgarg* args) {
    Program* P = entryprogram();
    if (!P) return nullptr;
    size_t n = !format ? 0 : length < 0 ? std::strlen(format) : static_cast<size_t>(length);
    return P->texts.make(formattext(std::string_view(format ? format : "", n), nargs, args));
}

txthandle rdxmsg(int group, int n) {
    Program* P = entryprogram();
    return P ? P->texts.message(group, n) : nullptr;
}

txthandle rdxmsgs(int group, int n, int nargs, const msgarg* args) {
    Program* P = entryprogram();
    return P ? P->texts.make(rt::msg::text(group, n, nargs, args)) : nullptr;
}

const char* rdxstr(txthandle h, int* length) {
    if (length) *length = h ? static_cast<int>(h->text.size()) : 0;
    return h ? h->text.c_str() : "";
}

// No output-system statement names graphs in this language: the block never holds a name.
rdxgcb* rdxggcb(int) {
    static thread_local rdxgcb block;
    block.namelen = 0;
    return &block;
}

const vec320 kVector = {xobinit, rdxtxt, rdxtxts, rdxmsg, rdxmsgs, rdxstr, rdxggcb};

}  // namespace

const vec320* services() { return &kVector; }

void beginprogram(Session* s) {
    setprogram(s ? std::make_unique<Program>(s) : nullptr);
    rt::ds::onbygroup(&bygroupstarted);   // the report shows the BY line of every group
}

void beginstep() {
    if (Program* P = program()) P->beginstep();
}

void endstep() {
    if (Program* P = program()) P->endstep();
}

void logged(char kind, const std::string& text) {
    if (Program* P = program()) P->logged(kind, text);
}

void bygroupstarted() {
    if (Program* P = program()) P->htmlheading(bylinetext(currentby(P->sess)));
}

int endprogram(std::string& err) {
    std::unique_ptr<Program> P = takeprogram();
    if (!P) return 0;
    P->endstep();
    P->endreport();
    // After a failure nothing is renamed into place: no half-written listing or report.
    if (!P->failure.empty()) {
        err = P->failure;
        return 1;
    }
    if (!P->listing.commit(err)) return 1;
    if (!P->html.commit(err)) return 1;
    return 0;
}

}  // namespace rt::out
