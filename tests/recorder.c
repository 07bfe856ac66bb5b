/* Stands in for the user's text editor under Wine: registered as the "open"
   command of .txt files, it appends the path it was given, one per line, to
   the file that QUORVIN_RECORD names. */
#include <stdio.h>
#include <stdlib.h>

int main(int argc, char** argv) {
  const char* record = getenv("QUORVIN_RECORD");
  if (!record || argc < 2) return 2;
  FILE* out = fopen(record, "a");
  if (!out) return 1;
  fprintf(out, "%s\n", argv[1]);
  return fclose(out) ? 1 : 0;
}
