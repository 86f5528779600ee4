#include "platform/fp.hpp"

#include <windows.h>

#include "platform/x86/fp_registers.hpp"

namespace plat {

namespace {

using namespace x86;

// Where the traps of the run go.
struct TrapDelivery {
    FpTrapHandler handler = nullptr;
    void* registration = nullptr;
};
TrapDelivery g_delivery;

unsigned short x87_control_word() {
    unsigned short word;
    asm volatile("fnstcw %0" : "=m"(word));
    return word;
}

void set_x87_control_word(unsigned short word) { asm volatile("fldcw %0" : : "m"(word)); }

void clear_x87_flags() { asm volatile("fnclex" ::: "memory"); }

int trap_code_of_exception(DWORD code) {
    switch (code) {
        case STATUS_FLOAT_INVALID_OPERATION:
        case STATUS_FLOAT_STACK_CHECK: return fp_trap_invalid;
        case STATUS_FLOAT_DIVIDE_BY_ZERO: return fp_trap_divide_by_zero;
        case STATUS_FLOAT_OVERFLOW: return fp_trap_overflow;
        case STATUS_FLOAT_DENORMAL_OPERAND: return fp_trap_denormal;
        case STATUS_FLOAT_UNDERFLOW: return fp_trap_underflow;
        case STATUS_FLOAT_INEXACT_RESULT: return fp_trap_inexact;
        default: return 0;
    }
}

bool is_float_exception(DWORD code) {
    return trap_code_of_exception(code) != 0 || code == STATUS_FLOAT_MULTIPLE_TRAPS ||
           code == STATUS_FLOAT_MULTIPLE_FAULTS;
}

// The floating-point registers saved with the interrupted thread.
struct SavedUnits {
    DWORD* mxcsr_copies[2] = {nullptr, nullptr};
    WORD* control_words[2] = {nullptr, nullptr};
    WORD* status_words[2] = {nullptr, nullptr};
    unsigned mxcsr = 0;
    unsigned control = 0;
    unsigned status = 0;
};

SavedUnits saved_units(CONTEXT* context) {
    SavedUnits units;
#if defined(__x86_64__)
    units.mxcsr_copies[0] = &context->MxCsr;
    units.mxcsr_copies[1] = &context->FltSave.MxCsr;
    units.control_words[0] = &context->FltSave.ControlWord;
    units.status_words[0] = &context->FltSave.StatusWord;
#else
    // The FXSAVE image: control word at byte 0, status word at 2, MXCSR at 24.
    BYTE* image = context->ExtendedRegisters;
    units.mxcsr_copies[0] = reinterpret_cast<DWORD*>(image + 24);
    units.control_words[0] = reinterpret_cast<WORD*>(image);
    units.status_words[0] = reinterpret_cast<WORD*>(image + 2);
    units.control_words[1] = reinterpret_cast<WORD*>(&context->FloatSave.ControlWord);
    units.status_words[1] = reinterpret_cast<WORD*>(&context->FloatSave.StatusWord);
#endif
    units.mxcsr = *units.mxcsr_copies[0];
    units.control = *units.control_words[0];
    units.status = *units.status_words[0];
    return units;
}

int trap_code_of(DWORD code, const SavedUnits& units) {
    const unsigned sse_unmasked = units.mxcsr & mxcsr_flags & ~(units.mxcsr >> mxcsr_mask_shift);
    if (int trap = trap_code_of_bits(sse_unmasked)) return trap;
    const unsigned x87_unmasked = units.status & x87_masks & ~units.control;
    if (int trap = trap_code_of_bits(x87_unmasked)) return trap;
    return trap_code_of_exception(code);
}

// Resuming re-executes the trapped instruction with the saved registers;
// with its exceptions masked and its flags clear there, the instruction
// completes instead of trapping again.
void mask_saved_state(const SavedUnits& units) {
    for (DWORD* mxcsr : units.mxcsr_copies)
        if (mxcsr != nullptr) *mxcsr = (*mxcsr | mxcsr_masks) & ~mxcsr_flags;
    for (WORD* control : units.control_words)
        if (control != nullptr) *control = static_cast<WORD>(*control | x87_masks);
    for (WORD* status : units.status_words)
        if (status != nullptr) *status = static_cast<WORD>(*status & ~x87_pending);
}

// The handler runs with every exception masked, so ending the program from
// it cannot trap again.
void mask_current_state() {
    _mm_setcsr((_mm_getcsr() | mxcsr_masks) & ~mxcsr_flags);
    clear_x87_flags();
    set_x87_control_word(static_cast<unsigned short>(x87_control_word() | x87_masks));
}

LONG WINAPI on_exception(EXCEPTION_POINTERS* exception) {
    const DWORD code = exception->ExceptionRecord->ExceptionCode;
    if (g_delivery.handler == nullptr || !is_float_exception(code)) return EXCEPTION_CONTINUE_SEARCH;
    const SavedUnits units = saved_units(exception->ContextRecord);
    const int trap = trap_code_of(code, units);
    // Not one the program can name: the system's default action ends it.
    if (trap == 0) return EXCEPTION_CONTINUE_SEARCH;
    mask_current_state();
    g_delivery.handler(trap);
    mask_saved_state(units);
    return EXCEPTION_CONTINUE_EXECUTION;
}

}  // namespace

void set_double_arithmetic() {
    // Doubles are computed in SSE, always to 53 bits. The x87 unit serves
    // only the math library's exponential and power, whose code is written
    // for its extended precision: that stays as the start-up set it.
    clear_x87_flags();
    set_x87_control_word(static_cast<unsigned short>(x87_control_word() & ~x87_rounding));
    _mm_setcsr(_mm_getcsr() & ~(mxcsr_flags | mxcsr_daz | mxcsr_ftz | mxcsr_rounding));
}

void enable_fp_traps() {
    clear_x87_flags();
    set_x87_control_word(static_cast<unsigned short>((x87_control_word() | x87_masks) & ~x87_trapped));
    _mm_setcsr(((_mm_getcsr() & ~mxcsr_flags) | mxcsr_masks) & ~mxcsr_trapped);
}

void install_fp_trap_handler(FpTrapHandler handler) {
    g_delivery.handler = handler;
    // First in line, before any frame-based handler of the faulting code.
    if (g_delivery.registration == nullptr) g_delivery.registration = ::AddVectoredExceptionHandler(1, on_exception);
}

int take_pending_fp_trap() { return pending_trap_code(); }

double call_with_fp_traps_held(double (*fn)(double, double), double x, double y) {
    // This math library computes the exponential and the power on the x87
    // unit: both units' traps are held, and both units' flags cleared after.
    const unsigned saved_mxcsr = _mm_getcsr();
    const unsigned short saved_control = x87_control_word();
    _mm_setcsr(saved_mxcsr | mxcsr_masks);
    set_x87_control_word(static_cast<unsigned short>(saved_control | x87_masks));
    // A 32-bit program receives the result on the x87 stack, in extended
    // precision. It is stored as a double here, while the traps are held, so
    // that a result beyond the double range becomes infinity now; stored
    // after the traps are back, it would trap on the caller's side, as an
    // ordinary overflow outside the intrinsic.
    const volatile double result = fn(x, y);
    clear_x87_flags();
    set_x87_control_word(saved_control);
    _mm_setcsr(saved_mxcsr & ~mxcsr_flags);
    return result;
}

}  // namespace plat
