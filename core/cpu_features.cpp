#include "core/cpu_features.h"

namespace wendral {
namespace {

InstructionSet Detect() {
#if defined(WENDRAL_X86_SIMD)
    __builtin_cpu_init();
    // Asked one by one: a processor with VBMI has the rest, but a hypervisor may hide any of
    // them, and the set promises all of the narrower ones too.
    if (__builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
        __builtin_cpu_supports("avx512vbmi") && __builtin_cpu_supports("avx2"))
        return InstructionSet::Avx512Vbmi;
    if (__builtin_cpu_supports("avx2")) return InstructionSet::Avx2;
    if (__builtin_cpu_supports("ssse3")) return InstructionSet::Ssse3;
    return InstructionSet::Sse2;
#else
    return InstructionSet::Portable;
#endif
}

}  // namespace

InstructionSet ProcessorInstructionSet() {
    // Set once and immutable after: the processor does not change under a running program.
    static const InstructionSet detected = Detect();
    return detected;
}

InstructionSet InstructionSetUpTo(InstructionSet wanted) {
    const InstructionSet present = ProcessorInstructionSet();
    return wanted < present ? wanted : present;
}

}  // namespace wendral
