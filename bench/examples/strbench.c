/* The string benchmark of StrBench.Pas with the C library's string routines. */
#include <string.h>

#include "terminal.h"

static char s[81], t[81];

void main(void) {
  int i, j, found = 0;
  char one[2];
  one[1] = 0;
  for (i = 1; i <= 100; i++) {
    s[0] = 0;
    for (j = 0; j <= 39; j++) {
      one[0] = 65 + (i + j) % 26;
      strcat(s, one);
    }
    strncpy(t, s + 10, 20);
    t[20] = 0;
    if (strstr(s, "XYZ") != 0) found++;
    if (strcmp(t, s) < 0) found++;
  }
  PutInt(found);
  PutLn();
}
