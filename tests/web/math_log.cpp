// The web program with its mathematical functions recorded: every call's
// arguments and result, as four doubles (the function's number, x, y, the
// result), appended when the program ends to the file named by
// RAIZES_MATH_LOG. The numbers: 1 exp of the C library, 2 pow, 3 log,
// 5 sin, 6 cos, 7 tan and 8 atan of the run-time's own (runtime/
// elementary.hpp), 4 the run-time's square root. The build links it with
// --wrap for each (tests/web/WebTests.cmake).
#include <emscripten.h>

EM_JS(void, raizes_math_log_record, (double kind, double x, double y, double result), {
    if (!Module.mathCalls) {
        Module.mathCalls = [];
        var file = process.env.RAIZES_MATH_LOG;
        process.on('exit', function() {
            if (file) require('fs').appendFileSync(file, Buffer.from(new Float64Array(Module.mathCalls).buffer));
        });
    }
    Module.mathCalls.push(kind, x, y, result);
});

#define RAIZES_RECORDED(kind, name)                            \
    extern "C" double __real_##name(double x);                 \
    extern "C" double __wrap_##name(double x) {                \
        const double result = __real_##name(x);                \
        raizes_math_log_record(kind, x, 0, result);            \
        return result;                                         \
    }

RAIZES_RECORDED(1, exp)
RAIZES_RECORDED(3, _ZN2rt10elementary3logEd)
RAIZES_RECORDED(4, _ZN2rt7rt_sqrtEd)
RAIZES_RECORDED(5, _ZN2rt10elementary3sinEd)
RAIZES_RECORDED(6, _ZN2rt10elementary3cosEd)
RAIZES_RECORDED(7, _ZN2rt10elementary3tanEd)
RAIZES_RECORDED(8, _ZN2rt10elementary4atanEd)

extern "C" double __real__ZN2rt10elementary3powEdd(double x, double y);
extern "C" double __wrap__ZN2rt10elementary3powEdd(double x, double y) {
    const double result = __real__ZN2rt10elementary3powEdd(x, y);
    raizes_math_log_record(2, x, y, result);
    return result;
}
