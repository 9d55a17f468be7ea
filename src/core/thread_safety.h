// The locking rules written where the compiler can check them: clang's
// thread-safety analysis (-Wthread-safety) reads these attributes, and the
// clang builds treat what it finds as errors. Other compilers (g++, MSVC) see
// empty macros.
//
// CAPABILITY marks a lock type, SCOPED_CAPABILITY an object that holds a lock
// for its lifetime; GUARDED_BY(lock) a variable read and written only while
// the lock is held; REQUIRES(lock) a function that must be called with it
// held; ACQUIRE, TRY_ACQUIRE and RELEASE the operations that take and drop it.
#pragma once

#if defined(__clang__)
#define VELLOQUIN_THREAD_ANNOTATION(x) __attribute__((x))
#else
#define VELLOQUIN_THREAD_ANNOTATION(x)
#endif

#define CAPABILITY(name) VELLOQUIN_THREAD_ANNOTATION(capability(name))
#define SCOPED_CAPABILITY VELLOQUIN_THREAD_ANNOTATION(scoped_lockable)
#define GUARDED_BY(lock) VELLOQUIN_THREAD_ANNOTATION(guarded_by(lock))
#define REQUIRES(...) VELLOQUIN_THREAD_ANNOTATION(requires_capability(__VA_ARGS__))
#define ACQUIRE(...) VELLOQUIN_THREAD_ANNOTATION(acquire_capability(__VA_ARGS__))
#define TRY_ACQUIRE(...) VELLOQUIN_THREAD_ANNOTATION(try_acquire_capability(__VA_ARGS__))
#define RELEASE(...) VELLOQUIN_THREAD_ANNOTATION(release_capability(__VA_ARGS__))
