/* The primes below 1000 by the sieve of Eratosthenes, as the Pascal example does it. */
#include <string.h>

#include "terminal.h"

static void PutStr(const char* s) { while (*s) PutChar(*s++); }

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
