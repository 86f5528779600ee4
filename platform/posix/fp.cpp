#include "platform/fp.hpp"

#include <cfenv>
#include <csignal>
#include <signal.h>
#include <ucontext.h>

#include "platform/x86/fp_registers.hpp"

// The trap handler reads the floating-point state of an x86-64 signal frame.
#if !defined(__x86_64__)
#error "floating-point traps need the x86-64 signal frame"
#endif

namespace plat {

namespace {

using namespace x86;

constexpr int trapped_exceptions = FE_INVALID | FE_DIVBYZERO | FE_OVERFLOW;

// Where the traps of the run go.
struct TrapDelivery {
    FpTrapHandler handler = nullptr;
};
TrapDelivery g_delivery;

int trap_code_of_signal(int si_code) {
    switch (si_code) {
        case FPE_FLTINV: return fp_trap_invalid;
        case FPE_FLTDIV: return fp_trap_divide_by_zero;
        case FPE_FLTOVF: return fp_trap_overflow;
        case FPE_FLTUND: return fp_trap_underflow;
        case FPE_FLTRES: return fp_trap_inexact;
        default: return 0;
    }
}

// Resuming re-executes the trapped instruction with the register state saved
// in the signal frame; with its exceptions masked and its flags clear there,
// the instruction completes instead of trapping again.
void mask_saved_state(void* context) {
    auto* uc = static_cast<ucontext_t*>(context);
    if (uc == nullptr || uc->uc_mcontext.fpregs == nullptr) return;
    auto* fp = uc->uc_mcontext.fpregs;
    fp->mxcsr = (fp->mxcsr | mxcsr_masks) & ~mxcsr_flags;
    fp->cwd = static_cast<unsigned short>(fp->cwd | x87_masks);
    fp->swd = static_cast<unsigned short>(fp->swd & ~x87_pending);
}

void restore_default_action() {
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    sigaction(SIGFPE, &action, nullptr);
}

void on_sigfpe(int, siginfo_t* info, void* context) {
    const int code = info->si_code > 0 ? trap_code_of_signal(info->si_code) : 0;
    if (code == 0 || g_delivery.handler == nullptr) {
        // Not a floating-point trap: the system's default action ends the
        // process, on the faulting instruction again or, for a sent
        // signal, once this handler returns.
        restore_default_action();
        if (info->si_code <= 0) raise(SIGFPE);
        return;
    }
    // The handler runs with the system's initial floating-point state (all
    // exceptions masked), so ending the program from here cannot trap again.
    g_delivery.handler(code);
    mask_saved_state(context);
}

}  // namespace

void set_double_arithmetic() {
    std::feclearexcept(FE_ALL_EXCEPT);
    std::fesetround(FE_TONEAREST);
    _mm_setcsr(_mm_getcsr() & ~(mxcsr_daz | mxcsr_ftz));
}

void enable_fp_traps() {
    fedisableexcept(FE_UNDERFLOW | FE_INEXACT);
    _mm_setcsr(_mm_getcsr() | mxcsr_denormal_mask);
    feenableexcept(trapped_exceptions);
}

void install_fp_trap_handler(FpTrapHandler handler) {
    g_delivery.handler = handler;
    struct sigaction action {};
    action.sa_sigaction = on_sigfpe;
    action.sa_flags = SA_SIGINFO;
    sigemptyset(&action.sa_mask);
    sigaction(SIGFPE, &action, nullptr);
}

int take_pending_fp_trap() { return pending_trap_code(); }

double call_with_fp_traps_held(double (*fn)(double, double), double x, double y) {
    // The math library computes doubles in SSE registers only, so holding
    // the SSE traps is enough; MXCSR is cheap to save and restore, unlike
    // the whole environment, and this runs once per exponential.
    const unsigned saved = _mm_getcsr();
    _mm_setcsr(saved | mxcsr_masks);
    const double result = fn(x, y);
    _mm_setcsr(saved & ~mxcsr_flags);
    return result;
}

}  // namespace plat
