// Linked into the tests only when they are built with ThreadSanitizer.
//
// Qt starts programs with clone(CLONE_VM | CLONE_VFORK): the child borrows the parent's memory
// until it execs. GCC 12's ThreadSanitizer handles every clone like a fork and, in that borrowed
// memory, marks the parent as a process forked while it had threads: from then on the checker
// ignores the calling thread and ends the process at its next new thread. Clones that share
// memory therefore go straight to the C library; every other clone keeps the checker's handling.
#include <dlfcn.h>
#include <sched.h>
#include <sys/types.h>

#include <cstdarg>

namespace {

using CloneFunction = int (*)(int (*)(void*), void*, int, void*, ...);

CloneFunction libcClone() {
    static const auto function = reinterpret_cast<CloneFunction>(
        dlsym(dlopen("libc.so.6", RTLD_LAZY | RTLD_NOLOAD), "clone"));
    return function;
}

CloneFunction checkerClone() {
    static const auto function = reinterpret_cast<CloneFunction>(dlsym(RTLD_NEXT, "clone"));
    return function;
}

} // namespace

extern "C" int clone(int (*function)(void*), void* stack, int flags, void* argument, ...) {
    // Like the C library's own wrapper, pass the optional arguments on whether given or not.
    va_list optional;
    va_start(optional, argument);
    auto* parentTid = va_arg(optional, pid_t*);
    void* tls = va_arg(optional, void*);
    auto* childTid = va_arg(optional, pid_t*);
    va_end(optional);
    const CloneFunction target = (flags & CLONE_VM) ? libcClone() : checkerClone();
    return target(function, stack, flags, argument, parentTid, tls, childTid);
}
