// The web program with its exponential and power recorded: every call's
// arguments and result, as four doubles (1 for exp or 2 for pow, x, y, the
// result), appended when the program ends to the file named by
// RAIZES_MATH_LOG. The build links it with --wrap=exp,--wrap=pow.
#include <emscripten.h>

extern "C" double __real_exp(double x);
extern "C" double __real_pow(double x, double y);

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

extern "C" double __wrap_exp(double x) {
    const double result = __real_exp(x);
    raizes_math_log_record(1, x, 0, result);
    return result;
}

extern "C" double __wrap_pow(double x, double y) {
    const double result = __real_pow(x, y);
    raizes_math_log_record(2, x, y, result);
    return result;
}
