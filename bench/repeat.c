/* repeat N PROGRAM [ARGS...]: starts PROGRAM N times, one after another, so
   that a timed command holds a batch of starts instead of one. */
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>

extern char** environ;

int main(int argc, char** argv) {
  if (argc < 3) return 2;
  for (long i = atol(argv[1]); i > 0; --i) {
    pid_t child;
    int status;
    if (posix_spawnp(&child, argv[2], NULL, NULL, argv + 2, environ)) return 1;
    waitpid(child, &status, 0);
  }
  return 0;
}
