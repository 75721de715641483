/* The primes below 1000 by the sieve of Eratosthenes, as the Pascal example does it. */
#include <string.h>

__sfr __at 0x80 TermData;

static void PutChar(char c) { TermData = c; }
static void PutLn(void) { PutChar(13); PutChar(10); }
static void PutStr(const char* s) { while (*s) PutChar(*s++); }
static void PutInt(long n) {
  char digits[12];
  unsigned char count = 0;
  unsigned long magnitude = n < 0 ? -(unsigned long)n : (unsigned long)n;
  if (n < 0) PutChar('-');
  do {
    digits[count++] = '0' + magnitude % 10;
    magnitude /= 10;
  } while (magnitude != 0);
  while (count != 0) PutChar(digits[--count]);
}

#define LIMIT 1000
static unsigned char composite[LIMIT + 1];

void main(void) {
  int i, j, count;
  memset(composite, 0, sizeof composite);
  count = 0;
  for (i = 2; i <= LIMIT; i++)
    if (!composite[i]) {
      count++;
      for (j = i + i; j <= LIMIT; j += i) composite[j] = 1;
    }
  PutStr("Primes below 1000: ");
  PutInt(count);
  PutLn();
  for (i = 980; i <= LIMIT; i++)
    if (!composite[i]) {
      PutInt(i);
      PutChar(' ');
    }
  PutLn();
}
