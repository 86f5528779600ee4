#pragma once
// The x86 processor's floating-point control and status registers, as both
// platform implementations use them: the SSE unit's MXCSR and the x87 unit's
// control and status words.
#include <cfloat>
#include <xmmintrin.h>

#include "platform/fp.hpp"

// Doubles must be computed in the SSE registers: every operation is then
// rounded to 53 bits, and a trap is taken at the very instruction that
// raised it. 32-bit programs are built with -msse2 -mfpmath=sse for that.
#if !(defined(__x86_64__) || (defined(__i386__) && defined(__SSE2_MATH__))) || FLT_EVAL_METHOD != 0
#error "floating-point environment needs x86 with SSE2 double arithmetic"
#endif

namespace plat::x86 {

// MXCSR: exception flags (bits 0-5), exception masks (bits 7-12),
// denormals-are-zero (bit 6), rounding (bits 13-14), flush-to-zero (bit 15).
inline constexpr unsigned mxcsr_flags = 0x003F;
inline constexpr unsigned mxcsr_masks = 0x1F80;
inline constexpr unsigned mxcsr_trapped = 0x0680;  // invalid, divide by zero, overflow
inline constexpr unsigned mxcsr_denormal_mask = 0x0100;
inline constexpr unsigned mxcsr_daz = 0x0040;
inline constexpr unsigned mxcsr_rounding = 0x6000;
inline constexpr unsigned mxcsr_ftz = 0x8000;
inline constexpr unsigned mxcsr_mask_shift = 7;

// x87 control word: exception masks (bits 0-5), rounding (bits 10-11).
// Status word: exception and stack-fault flags (bits 0-6), error summary
// (bit 7), busy (bit 15).
inline constexpr unsigned short x87_masks = 0x003F;
inline constexpr unsigned short x87_trapped = 0x000D;  // invalid, divide by zero, overflow
inline constexpr unsigned short x87_rounding = 0x0C00;
inline constexpr unsigned short x87_pending = 0x80FF;

// Exception bits, the same in the flags and masks of both units.
inline constexpr unsigned invalid_bit = 0x01;
inline constexpr unsigned denormal_bit = 0x02;
inline constexpr unsigned divide_bit = 0x04;
inline constexpr unsigned overflow_bit = 0x08;
inline constexpr unsigned underflow_bit = 0x10;
inline constexpr unsigned inexact_bit = 0x20;

// The trap code of the first exception raised, in the order invalid,
// division by zero, overflow, denormal, underflow, inexact; 0 for none.
inline int trap_code_of_bits(unsigned raised) {
    if (raised & invalid_bit) return fp_trap_invalid;
    if (raised & divide_bit) return fp_trap_divide_by_zero;
    if (raised & overflow_bit) return fp_trap_overflow;
    if (raised & denormal_bit) return fp_trap_denormal;
    if (raised & underflow_bit) return fp_trap_underflow;
    if (raised & inexact_bit) return fp_trap_inexact;
    return 0;
}

// A trap still deferred from earlier operations. x87 exceptions are reported
// at the next waiting instruction; SSE ones trap at once, so a trapping flag
// still raised here was raised while masked.
inline int pending_trap_code() {
    asm volatile("fwait" ::: "memory");
    const unsigned raised = _mm_getcsr() & (invalid_bit | divide_bit | overflow_bit);
    return trap_code_of_bits(raised);
}

}  // namespace plat::x86
