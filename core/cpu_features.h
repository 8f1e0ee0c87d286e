#pragma once
// The one place that decides which processor-specific code the pixel loops run.
//
// Two questions, each answered here once:
//  - What every build may use: SSE2 is part of x86-64, so a build for it has SSE2 throughout
//    and WENDRAL_X86_SIMD is set, with the x86 intrinsics at hand. Loops written for SSE2 need
//    no check at run time (the merge checks all the same, so that its test can run the
//    portable loops on this processor too).
//  - What this processor adds: SSSE3, AVX2 and AVX-512 with its byte permutes (F, BW and VBMI
//    together) are detected once, at the first question, and never change. Code built for them (a
//    function with a target attribute) runs only when the set it is given includes them; the set
//    comes from ProcessorInstructionSet(), or from a caller that wants a narrower one (the tests
//    run every set).

#if defined(__SSE2__) && defined(__GNUC__)
#define WENDRAL_X86_SIMD 1
#include <immintrin.h>
// Functions built for more than every build has; call them only when the set allows.
#define WENDRAL_TARGET_SSSE3 __attribute__((target("ssse3")))
#define WENDRAL_TARGET_AVX2 __attribute__((target("avx2")))
#define WENDRAL_TARGET_AVX512VBMI __attribute__((target("avx2,avx512f,avx512bw,avx512vbmi")))
#endif

namespace wendral {

// Each set includes the ones before it.
enum class InstructionSet { Portable, Sse2, Ssse3, Avx2, Avx512Vbmi };

// Every set, narrowest first, for code (the tests) that runs each one the processor has.
inline constexpr InstructionSet kInstructionSets[] = {
    InstructionSet::Portable, InstructionSet::Sse2, InstructionSet::Ssse3, InstructionSet::Avx2,
    InstructionSet::Avx512Vbmi};

// The widest set this processor runs.
InstructionSet ProcessorInstructionSet();

// The narrower of `wanted` and what this processor runs: never a set it lacks.
InstructionSet InstructionSetUpTo(InstructionSet wanted);

}  // namespace wendral
