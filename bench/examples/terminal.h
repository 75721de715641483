/* The board's terminal for the SDCC builds, as the Pascal terminal unit gives it. */
__sfr __at 0x80 TermData;

static void PutChar(char c) {
  TermData = c;
}
static void PutLn(void) {
  PutChar(13);
  PutChar(10);
}
static void PutInt(long n) {
  char digits[12];
  unsigned char count = 0;
  unsigned long magnitude = n < 0 ? -(unsigned long)n : (unsigned long)n;
  if (n < 0) PutChar('-');
  do {
    digits[count++] = '0' + magnitude % 10;
    magnitude /= 10;
  } while (magnitude != 0);
  while (count != 0)
    PutChar(digits[--count]);
}
