// The few C library functions that Tolvex.exe and its tools (tolvex-ini.exe, TolvexSetup.exe)
// call or that the compiler calls for them (copying and clearing records, text lengths and
// comparisons). They are linked without the C runtime, whose prebuilt code needs newer CPUs and
// newer DLLs than Windows 95 has. Each program keeps only the functions it calls.
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

void* memchr(const void* text, int wanted, std::size_t count) {
  const auto* at = static_cast<const unsigned char*>(text);
  for (; count > 0; --count, ++at) {
    if (*at == static_cast<unsigned char>(wanted)) {
      return const_cast<unsigned char*>(at);
    }
  }
  return nullptr;
}

int memcmp(const void* left, const void* right, std::size_t count) {
  const auto* l = static_cast<const unsigned char*>(left);
  const auto* r = static_cast<const unsigned char*>(right);
  for (; count > 0; --count, ++l, ++r) {
    if (*l != *r) {
      return *l < *r ? -1 : 1;
    }
  }
  return 0;
}

int strncmp(const char* left, const char* right, std::size_t count) {
  for (; count > 0; --count, ++left, ++right) {
    const auto l = static_cast<unsigned char>(*left);
    const auto r = static_cast<unsigned char>(*right);
    if (l != r || l == 0) {
      return l < r ? -1 : (l > r ? 1 : 0);
    }
  }
  return 0;
}

int strcmp(const char* left, const char* right) {
  return strncmp(left, right, static_cast<std::size_t>(-1));
}

// The C library's signatures: a found character is given back as a pointer into the text.
char* strchr(const char* text, int wanted) {
  const char c = static_cast<char>(wanted);
  for (;; ++text) {
    if (*text == c) {
      return const_cast<char*>(text);
    }
    if (*text == '\0') {
      return nullptr;
    }
  }
}

char* strrchr(const char* text, int wanted) {
  const char* found = nullptr;
  for (const char* at = strchr(text, wanted); at != nullptr && *at != '\0';
       at = strchr(at + 1, wanted)) {
    found = at;
  }
  return const_cast<char*>(wanted == 0 ? text + strlen(text) : found);
}

char* strpbrk(const char* text, const char* set) {
  for (; *text != '\0'; ++text) {
    if (strchr(set, *text) != nullptr) {
      return const_cast<char*>(text);
    }
  }
  return nullptr;
}

std::size_t strcspn(const char* text, const char* set) {
  std::size_t length = 0;
  while (text[length] != '\0' && strchr(set, text[length]) == nullptr) {
    ++length;
  }
  return length;
}

char* strcpy(char* destination, const char* source) {
  return static_cast<char*>(memcpy(destination, source, strlen(source) + 1));
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
