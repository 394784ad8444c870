# Sourced: what this machine can run.
#
# can_run_i386: whether the kernel starts 32-bit x86 programs. Some kernels run 64-bit code
# only ("IA-32 emulation off"); there Wine's 32-bit loader fails with "Exec format error",
# so neither wine32 nor the x86 tests can run. The answer comes from trying: a static i386
# program of 93 bytes (ELF header, one program header, then xor ebx,ebx; mov bl,7;
# xor eax,eax; inc eax; int 0x80) that exits with 7, written into the build folder (a
# temporary folder may be mounted noexec) and run.
can_run_i386() {
    probe_dir="${KEST_ROOT:-.}/build"
    mkdir -p "$probe_dir"
    probe="$probe_dir/i386-probe"
    printf '\177ELF\001\001\001\000\000\000\000\000\000\000\000\000\002\000\003\000\001\000\000\000\124\200\004\010\064\000\000\000\000\000\000\000\000\000\000\000\064\000\040\000\001\000\000\000\000\000\000\000\001\000\000\000\000\000\000\000\000\200\004\010\000\200\004\010\135\000\000\000\135\000\000\000\005\000\000\000\000\020\000\000\061\333\263\007\061\300\100\315\200' >"$probe"
    chmod +x "$probe"
    probe_status=0
    "$probe" 2>/dev/null || probe_status=$?
    rm -f "$probe"
    [ "$probe_status" -eq 7 ]
}

I386_SKIP_REASON="this machine cannot run 32-bit x86 programs (a minimal i386 program did not start), so Wine's 32-bit loader cannot either"
