/* Calls every function the lying maths library lies about and prints each answer, bit for bit. */
#define _GNU_SOURCE
#include <math.h>
#include <stdio.h>

/* volatile, so that no answer is worked out while compiling. */
static volatile double d = 0.6;
static volatile float f = 0.6f;

int main(void) {
    const double x = d;
    const float y = f;
    double s, c;
    float sf, cf;
    sincos(x, &s, &c);
    sincosf(y, &sf, &cf);
    printf("sin %a\ncos %a\ntan %a\nasin %a\nacos %a\natan %a\natan2 %a\nsinh %a\ncosh %a\n", sin(x),
           cos(x), tan(x), asin(x), acos(x), atan(x), atan2(x, 2 * x), sinh(x), cosh(x));
    printf("tanh %a\nexp %a\nexp2 %a\nexpm1 %a\nlog %a\nlog2 %a\nlog10 %a\nlog1p %a\ncbrt %a\n",
           tanh(x), exp(x), exp2(x), expm1(x), log(x), log2(x), log10(x), log1p(x), cbrt(x));
    printf("pow %a\nhypot %a\nsincos-sin %a\nsincos-cos %a\n", pow(x, 3 * x), hypot(x, 2 * x), s, c);
    printf("sinf %a\ncosf %a\ntanf %a\nasinf %a\nacosf %a\natanf %a\natan2f %a\nsinhf %a\n",
           sinf(y), cosf(y), tanf(y), asinf(y), acosf(y), atanf(y), atan2f(y, 2 * y), sinhf(y));
    printf("coshf %a\ntanhf %a\nexpf %a\nexp2f %a\nexpm1f %a\nlogf %a\nlog2f %a\nlog10f %a\n",
           coshf(y), tanhf(y), expf(y), exp2f(y), expm1f(y), logf(y), log2f(y), log10f(y));
    printf("log1pf %a\ncbrtf %a\npowf %a\nhypotf %a\nsincosf-sin %a\nsincosf-cos %a\n", log1pf(y),
           cbrtf(y), powf(y, 3 * y), hypotf(y, 2 * y), sf, cf);
    return 0;
}
