/* sys/syscall.h for the Windows build: the one system call the runtime makes, the
   calling thread's id, answered with the system's thread id
   (host/win32/native_files.cpp). */
#pragma once
#define SYS_gettid 0
#ifdef __cplusplus
extern "C"
#endif
long tumbleroo_thread_id(void);
static inline long syscall(long number) {
    (void)number;
    return tumbleroo_thread_id();
}
