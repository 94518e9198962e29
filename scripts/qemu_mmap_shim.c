/* Preloaded into Wine's 32-bit loader where 32-bit Linux programs run only
   under qemu-user. qemu 7.2 treats MAP_FIXED_NOREPLACE as a mere hint and
   maps elsewhere; Wine's address-space reservation then falls back to
   tens of thousands of small reservations, each one a slow page-by-page
   search inside qemu, and every 32-bit process takes a minute to start.
   This gives the flag the kernel's meaning again: the wanted address or
   EEXIST. Built with -nostdlib, so it depends on nothing. */
#define MAP_FIXED 0x10
#define MAP_FIXED_NOREPLACE 0x100000
#define EEXIST 17
#define EINVAL 22
#define SYS_munmap 91
#define SYS_mmap2 192

extern int *__errno_location(void);

static long sys6(long nr, long a, long b, long c, long d, long e, long f) {
  long block[2] = {nr, f};
  long ret;
  /* ebp carries the sixth argument; it is saved around the call. */
  __asm__ volatile(
      "push %%ebp\n\tmovl 4(%%eax), %%ebp\n\tmovl (%%eax), %%eax\n\tint $0x80\n\tpop %%ebp"
      : "=a"(ret)
      : "0"(block), "b"(a), "c"(b), "d"(c), "S"(d), "D"(e)
      : "memory");
  return ret;
}

static void *fail(long error) {
  *__errno_location() = (int)error;
  return (void *)-1;
}

static void *do_mmap(void *addr, unsigned long len, int prot, int flags, int fd,
                     unsigned long long off) {
  long r;
  if (off & 0xfff) return fail(EINVAL);
  if ((flags & MAP_FIXED_NOREPLACE) && !(flags & MAP_FIXED)) {
    r = sys6(SYS_mmap2, (long)addr, (long)len, prot, flags & ~MAP_FIXED_NOREPLACE, fd,
             (long)(off >> 12));
    if ((unsigned long)r > -4096UL) return fail(-r);
    if ((void *)r != addr) {
      sys6(SYS_munmap, r, (long)len, 0, 0, 0, 0);
      return fail(EEXIST);
    }
    return (void *)r;
  }
  r = sys6(SYS_mmap2, (long)addr, (long)len, prot, flags, fd, (long)(off >> 12));
  if ((unsigned long)r > -4096UL) return fail(-r);
  return (void *)r;
}

void *mmap(void *addr, unsigned long len, int prot, int flags, int fd, long off) {
  return do_mmap(addr, len, prot, flags, fd, (unsigned long long)(unsigned long)off);
}

void *mmap64(void *addr, unsigned long len, int prot, int flags, int fd, long long off) {
  return do_mmap(addr, len, prot, flags, fd, (unsigned long long)off);
}
