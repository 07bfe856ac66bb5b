/* kill_at_random SIGNAL MICROSECONDS PROGRAM [ARG...]: starts PROGRAM, sends
   it SIGNAL at a random instant within MICROSECONDS of its start, and waits
   for it to end. A start can be cut short anywhere this way: between
   creating and naming a note as well as before or after. */
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

int main(int argc, char** argv) {
  if (argc < 4) return 2;
  struct timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  srand((unsigned)(now.tv_nsec ^ getpid()));
  const long window = atol(argv[2]);
  const pid_t child = fork();
  if (child < 0) return 1;
  if (child == 0) {
    execv(argv[3], argv + 3);
    _exit(127);
  }
  const struct timespec delay = {0, (rand() % (window > 0 ? window : 1)) * 1000L};
  nanosleep(&delay, NULL);
  kill(child, atoi(argv[1]));
  int status;
  return waitpid(child, &status, 0) == child ? 0 : 1;
}
