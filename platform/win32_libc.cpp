// The few C library functions that Tolvex.exe calls or that the compiler calls for it (copying
// and clearing records, text lengths). Tolvex.exe is linked without the C runtime, whose
// prebuilt code needs newer CPUs and newer DLLs than Windows 95 has; every other program of the
// project keeps the C runtime and never links this file.
//
// The build compiles this file so that the compiler does not turn these loops back into calls of
// themselves (-fno-builtin, and -fno-tree-loop-distribute-patterns with GCC).
#include <cstddef>

extern "C" {

void* memset(void* destination, int value, std::size_t count) {
  auto* d = static_cast<unsigned char*>(destination);
  while (count-- > 0) {
    *d++ = static_cast<unsigned char>(value);
  }
  return destination;
}

void* memcpy(void* destination, const void* source, std::size_t count) {
  auto* d = static_cast<unsigned char*>(destination);
  const auto* s = static_cast<const unsigned char*>(source);
  while (count-- > 0) {
    *d++ = *s++;
  }
  return destination;
}

void* memmove(void* destination, const void* source, std::size_t count) {
  auto* d = static_cast<unsigned char*>(destination);
  const auto* s = static_cast<const unsigned char*>(source);
  if (d < s) {
    while (count-- > 0) {
      *d++ = *s++;
    }
  } else {
    while (count-- > 0) {
      d[count] = s[count];
    }
  }
  return destination;
}

std::size_t strlen(const char* text) {
  std::size_t length = 0;
  while (text[length] != '\0') {
    ++length;
  }
  return length;
}

}  // extern "C"

// The stack probe that the compiler calls before it opens a frame of more than a page (the
// run's record is about 12 KiB): Windows grows a thread's stack one guard page at a time, so
// every page of the new frame is touched in order, from the top down. In: the frame's size in
// eax (rax); no register changes, and the caller moves the stack pointer itself.
#if defined(__x86_64__)
asm(R"(
    .text
    .globl ___chkstk_ms
___chkstk_ms:
    pushq %rcx
    pushq %rax
    leaq 24(%rsp), %rcx
1:  cmpq $0x1000, %rax
    jb 2f
    subq $0x1000, %rcx
    orq $0, (%rcx)
    subq $0x1000, %rax
    jmp 1b
2:  subq %rax, %rcx
    orq $0, (%rcx)
    popq %rax
    popq %rcx
    ret
)");
#else
asm(R"(
    .text
    .globl ___chkstk_ms
___chkstk_ms:
    pushl %ecx
    pushl %eax
    leal 12(%esp), %ecx
1:  cmpl $0x1000, %eax
    jb 2f
    subl $0x1000, %ecx
    orl $0, (%ecx)
    subl $0x1000, %eax
    jmp 1b
2:  subl %eax, %ecx
    orl $0, (%ecx)
    popl %eax
    popl %ecx
    ret
)");
#endif
